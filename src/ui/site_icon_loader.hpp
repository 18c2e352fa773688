#pragma once

#include <string>

#include <gdkmm/pixbuf.h>
#include <sigc++/signal.h>

namespace quenlith {

struct WebAppProfile;

// Where a website's icon comes from for the views that draw it: the application hands in its
// shared icon loader (the browser layer's), which the interface layer cannot reach itself.
class SiteIconLoader {
public:
    virtual ~SiteIconLoader() = default;

    // The key the website's icon is kept under; a new key loads again.
    virtual std::string iconKey(const WebAppProfile& profile) const = 0;
    // Starts loading the website's icon unless its key was tried before.
    virtual void load(const WebAppProfile& profile) = 0;
    // The icon under the key, or null.
    virtual Glib::RefPtr<Gdk::Pixbuf> image(const std::string& key) const = 0;
    // Emitted when an icon arrived.
    virtual sigc::signal<void()>& signal_changed() = 0;
};

}  // namespace quenlith
