#include "browser/engine/favicon_loader.hpp"

#include <glibmm/main.h>

#include "browser/engine/bounded_fetch.hpp"
#include "model/address.hpp"
#include "model/uri_components.hpp"
#include "ui/icon_image.hpp"

namespace quenlith {

FaviconLoader::FaviconLoader(SessionProvider sessions)
    : sessions_(std::move(sessions)), self_(std::make_shared<FaviconLoader*>(this)) {}

FaviconLoader::~FaviconLoader() {
    self_.reset();
    pending_.clear();
}

std::string FaviconLoader::key(const WebAppProfile& profile) {
    auto identifier = profile.dataStoreIdentifier();
    std::string key = identifier ? identifier->string() : "shared";
    key += "|";
    key += profile.iconURL ? *profile.iconURL : profile.homeURL;
    if (profile.siteProxy && profile.siteProxy->kind != BrowserProxyKind::system)
        key += "|" + std::string(rawValue(profile.siteProxy->kind)) + "://" + profile.siteProxy->host + ":" +
               std::to_string(profile.siteProxy->port);
    return key;
}

std::optional<std::string> FaviconLoader::iconAddress(const WebAppProfile& profile) {
    auto home = normalizedWebsiteURL(profile.homeURL);
    if (!home) return std::nullopt;
    if (profile.iconURL)
        if (auto icon = normalizedWebsiteURL(*profile.iconURL)) return icon;
    return rootFaviconURL(*home);
}

void FaviconLoader::load(const WebAppProfile& profile) {
    std::string cacheKey = key(profile);
    if (!attempted_.insert(cacheKey).second) return;
    auto address = iconAddress(profile);
    if (!address) return;
    auto session = sessions_ ? sessions_(profile) : GObjectPtr<SoupSession>();
    if (!session) return;
    std::weak_ptr<FaviconLoader*> weak = self_;
    pending_[cacheKey] = BoundedFetch::start(std::move(session), *address, kMaximumBytes, kTimeout,
                                             [weak, cacheKey](FetchResult result) {
                                                 auto loader = weak.lock();
                                                 if (!loader) return;
                                                 (*loader)->finished(cacheKey, result.ok, result.status, result.body,
                                                                     result.overLimit);
                                             });
}

void FaviconLoader::finished(const std::string& cacheKey, bool ok, unsigned status, const std::string& body,
                             bool overLimit) {
    // The handle is released on the next turn: this runs inside its own completion.
    if (auto it = pending_.find(cacheKey); it != pending_.end()) {
        auto handle = std::move(it->second);
        pending_.erase(it);
        Glib::signal_idle().connect_once([handle] {});
    }
    if (!ok || status != 200 || overLimit) return;
    // A picture past the pixel limit is refused unseen; the rest is kept at the largest size shown.
    auto image = decodeIconImage(body);
    if (!image) return;
    images_[cacheKey] = image;
    changed_.emit();
}

Glib::RefPtr<Gdk::Pixbuf> FaviconLoader::image(const std::string& cacheKey) const {
    auto it = images_.find(cacheKey);
    return it == images_.end() ? Glib::RefPtr<Gdk::Pixbuf>() : it->second;
}

}  // namespace quenlith
