#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include <gdkmm/pixbuf.h>
#include <libsoup/soup.h>
#include <sigc++/signal.h>

#include "browser/engine/gobject_ptr.hpp"
#include "model/web_app_profile.hpp"
#include "ui/site_icon_loader.hpp"

namespace quenlith {

class BoundedFetch;

// The shared website-icon loader and cache of the tiles, the status items and the settings lists.
// Each key is loaded at most once per run, whatever the outcome, through the website's own proxy;
// nothing is written to disk. Icons are decoded through decodeIconImage, so each is at most
// kIconKeptSide pixels on a side. Main thread only.
class FaviconLoader final : public SiteIconLoader {
public:
    // The session whose requests take the website's proxy; none while that proxy is unusable.
    using SessionProvider = std::function<GObjectPtr<SoupSession>(const WebAppProfile&)>;

    static constexpr std::chrono::seconds kTimeout{8};
    static constexpr std::size_t kMaximumBytes = 1024 * 1024;

    explicit FaviconLoader(SessionProvider sessions);
    ~FaviconLoader() override;
    FaviconLoader(const FaviconLoader&) = delete;
    FaviconLoader& operator=(const FaviconLoader&) = delete;

    // The website's cookie session (its own data-store id, else "shared"), "|", its icon address
    // when set, else its home address, as stored; a website on its own proxy adds "|" and the
    // proxy's kind, host and port, so a new proxy loads the icon again.
    static std::string key(const WebAppProfile& profile);
    std::string iconKey(const WebAppProfile& profile) const override { return key(profile); }
    // The address the icon is asked for: the icon address when it is a website address, else
    // "/favicon.ico" on the home address's scheme, host and port; none without a usable home.
    static std::optional<std::string> iconAddress(const WebAppProfile& profile);

    // Starts the website's load unless its key was tried before.
    void load(const WebAppProfile& profile) override;
    // The icon under the key, or null.
    Glib::RefPtr<Gdk::Pixbuf> image(const std::string& key) const override;
    const std::map<std::string, Glib::RefPtr<Gdk::Pixbuf>>& images() const { return images_; }
    bool attempted(const std::string& key) const { return attempted_.count(key) > 0; }
    // Loads started and not finished yet.
    std::size_t pendingCount() const { return pending_.size(); }

    // Emitted when an icon arrived.
    sigc::signal<void()>& signal_changed() override { return changed_; }

private:
    void finished(const std::string& key, bool ok, unsigned status, const std::string& body, bool overLimit);

    SessionProvider sessions_;
    std::map<std::string, Glib::RefPtr<Gdk::Pixbuf>> images_;
    std::set<std::string> attempted_;
    std::map<std::string, std::shared_ptr<BoundedFetch>> pending_;
    sigc::signal<void()> changed_;
    std::shared_ptr<FaviconLoader*> self_;
};

}  // namespace quenlith
