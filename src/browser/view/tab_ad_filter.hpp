#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sigc++/connection.h>

#include "browser/engine/gobject_ptr.hpp"
#include "model/ad_filter_settings.hpp"

typedef struct _WebKitUserContentManager WebKitUserContentManager;

namespace quenlith {

class AdBlocking;
class PreferencesStore;

// Keeps the ad filter of the preferences on every tab of one browser view: applied tab after tab
// whenever its settings change. Main thread only.
class TabAdFilter {
public:
    // The content managers of the view's tabs at the moment they are asked for.
    using Managers = std::function<std::vector<GObjectPtr<WebKitUserContentManager>>()>;

    TabAdFilter(PreferencesStore& preferences, AdBlocking& blocking, Managers managers);
    ~TabAdFilter();
    TabAdFilter(const TabAdFilter&) = delete;
    TabAdFilter& operator=(const TabAdFilter&) = delete;

    // Follows every later change of the preferences.
    void follow();
    // Applies the settings of the preferences to every tab unless they are applied already.
    void update();

private:
    void apply(std::vector<GObjectPtr<WebKitUserContentManager>> managers, std::size_t next);

    PreferencesStore& preferences_;
    AdBlocking& blocking_;
    Managers managers_;
    std::optional<AdFilterSettings> applied_;
    sigc::connection preferencesChanged_;
    // Answers of the blocker that arrive after this object is gone find this expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quenlith
