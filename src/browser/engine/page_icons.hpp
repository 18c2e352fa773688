#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gdkmm/pixbuf.h>
#include <libsoup/soup.h>

#include "browser/engine/gobject_ptr.hpp"

namespace quenlith {

class BoundedFetch;

// The icons the tabs show, by icon address, kept in memory for the run (never on disk) and at most
// kCapacity of them. Each is fetched once through the session it is first asked for with (the
// tab's proxy-aware one), with a byte cap and a time-out, and decoded through decodeIconImage: a
// picture claiming too many pixels is refused unseen. An address that answered with no usable
// picture is remembered as having none; one that could not be reached is asked for again later.
// Main thread only.
class PageIcons {
public:
    // Called once with the icon, or null for none.
    using Arrival = std::function<void(Glib::RefPtr<Gdk::Pixbuf>)>;

    static constexpr std::size_t kCapacity = 256;
    static constexpr std::chrono::seconds kTimeout{8};
    static constexpr std::size_t kMaximumBytes = 1024 * 1024;

    PageIcons() = default;
    ~PageIcons();
    PageIcons(const PageIcons&) = delete;
    PageIcons& operator=(const PageIcons&) = delete;

    // Hands the icon at `address` to `arrival`: at once when it is known, else when its fetch ends.
    // Without a session nothing is fetched (nothing may bypass the website's proxy) and `arrival`
    // gets null at once.
    void request(const std::string& address, GObjectPtr<SoupSession> session, Arrival arrival);

    // The address of a page's icon: its declared icon link when that is a website address, else
    // "/favicon.ico" on the page's scheme, host and port; nothing for a page without a host.
    static std::optional<std::string> iconAddress(std::string_view pageAddress,
                                                  const std::optional<std::string>& declared);

    std::size_t size() const { return known_.size(); }
    std::size_t pendingCount() const { return pending_.size(); }
    // Forgets every icon (tests).
    void clear();

private:
    struct Known {
        Glib::RefPtr<Gdk::Pixbuf> image;
        std::uint64_t used = 0;
    };
    struct Pending {
        std::shared_ptr<BoundedFetch> fetch;
        std::vector<Arrival> waiting;
    };
    void finished(const std::string& address, bool ok, unsigned status, const std::string& body,
                  bool overLimit);
    void remember(const std::string& address, Glib::RefPtr<Gdk::Pixbuf> image);

    std::map<std::string, Known> known_;
    std::map<std::string, Pending> pending_;
    std::uint64_t clock_ = 0;
    std::shared_ptr<PageIcons*> self_ = std::make_shared<PageIcons*>(this);
};

}  // namespace quenlith
