#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <gtkmm/messagedialog.h>

#include "model/web_app_profile.hpp"

namespace Gtk {
class Widget;
}

namespace quenlith {

// The question whether to delete a saved website, asked over the window of the widget it comes
// from. The website is handed to `onDelete` only when the user confirms; the question closes with
// its owner.
class WebsiteDeletionQuestion {
public:
    explicit WebsiteDeletionQuestion(std::function<void(const Uuid&)> onDelete);
    ~WebsiteDeletionQuestion();
    WebsiteDeletionQuestion(const WebsiteDeletionQuestion&) = delete;
    WebsiteDeletionQuestion& operator=(const WebsiteDeletionQuestion&) = delete;

    // Asks about `profile`, on the window of `from` while that window is visible.
    void ask(const WebAppProfile& profile, Gtk::Widget& from);
    // The website whose deletion waits for the answer.
    const std::optional<WebAppProfile>& pending() const { return pending_; }

private:
    void answer(int response);

    std::function<void(const Uuid&)> onDelete_;
    std::optional<WebAppProfile> pending_;
    std::unique_ptr<Gtk::MessageDialog> dialog_;
};

}  // namespace quenlith
