#include "browser/engine/page_icons.hpp"

#include <algorithm>

#include <glibmm/main.h>

#include "browser/engine/bounded_fetch.hpp"
#include "model/address.hpp"
#include "model/address_text.hpp"
#include "ui/icon_image.hpp"

namespace quenlith {

PageIcons::~PageIcons() {
    self_.reset();
    pending_.clear();
}

std::optional<std::string> PageIcons::iconAddress(std::string_view pageAddress,
                                                  const std::optional<std::string>& declared) {
    if (declared) {
        // Only a website address: a data, blob or file address is no icon to fetch.
        const std::string lowered = asciiLowercased(*declared);
        if (lowered.starts_with("http://") || lowered.starts_with("https://"))
            if (auto icon = normalizedWebsiteURL(*declared)) return icon;
    }
    return rootFaviconURL(pageAddress);
}

void PageIcons::request(const std::string& address, GObjectPtr<SoupSession> session, Arrival arrival) {
    if (auto it = known_.find(address); it != known_.end()) {
        it->second.used = ++clock_;
        arrival(it->second.image);
        return;
    }
    if (auto it = pending_.find(address); it != pending_.end()) {
        it->second.waiting.push_back(std::move(arrival));
        return;
    }
    if (!session) {
        arrival({});
        return;
    }
    std::weak_ptr<PageIcons*> weak = self_;
    auto& pending = pending_[address];
    pending.waiting.push_back(std::move(arrival));
    pending.fetch = BoundedFetch::start(
        std::move(session), address, kMaximumBytes, kTimeout, [weak, address](FetchResult result) {
            auto icons = weak.lock();
            if (!icons) return;
            (*icons)->finished(address, result.ok, result.status, result.body, result.overLimit);
        });
}

void PageIcons::finished(const std::string& address, bool ok, unsigned status, const std::string& body,
                         bool overLimit) {
    auto it = pending_.find(address);
    if (it == pending_.end()) return;
    Pending pending = std::move(it->second);
    pending_.erase(it);
    // The handle is released on the next turn: this runs inside its own completion.
    Glib::signal_idle().connect_once([fetch = std::move(pending.fetch)] {});
    Glib::RefPtr<Gdk::Pixbuf> image;
    if (ok && status == 200 && !overLimit) image = decodeIconImage(body);
    // A server that answered is not asked again this run; one that could not be reached may be.
    if (ok) remember(address, image);
    for (auto& arrival : pending.waiting) arrival(image);
}

void PageIcons::remember(const std::string& address, Glib::RefPtr<Gdk::Pixbuf> image) {
    if (known_.size() >= kCapacity) {
        auto oldest = std::min_element(known_.begin(), known_.end(), [](const auto& a, const auto& b) {
            return a.second.used < b.second.used;
        });
        known_.erase(oldest);
    }
    known_[address] = Known{std::move(image), ++clock_};
}

void PageIcons::clear() {
    known_.clear();
    pending_.clear();
}

}  // namespace quenlith
