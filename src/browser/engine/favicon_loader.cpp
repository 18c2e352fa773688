#include "browser/engine/favicon_loader.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glibmm/main.h>

#include "browser/engine/bounded_fetch.hpp"
#include "model/address.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

constexpr std::size_t kDetailsBytes = 256 * 1024;
constexpr std::size_t kTitleCharacters = 100;

// "/favicon.ico" on the scheme, host and port of an absolute address.
std::optional<std::string> rootFavicon(const std::string& address) {
    auto parts = parseUri(address);
    if (!parts || !parts->host) return std::nullopt;
    UriComponents root;
    root.scheme = parts->scheme;
    root.host = parts->host;
    root.port = parts->port;
    root.path = "/favicon.ico";
    return joinUri(root);
}

Glib::RefPtr<Gdk::Pixbuf> decodedImage(const std::string& bytes) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    bool ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), nullptr);
    ok = gdk_pixbuf_loader_close(loader, nullptr) && ok;
    Glib::RefPtr<Gdk::Pixbuf> image;
    if (ok)
        if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader)) image = Glib::wrap(pixbuf, true);
    g_object_unref(loader);
    return image;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

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
    return rootFavicon(*home);
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
    auto image = decodedImage(body);
    if (!image) return;
    images_[cacheKey] = image;
    changed_.emit();
}

Glib::RefPtr<Gdk::Pixbuf> FaviconLoader::image(const std::string& cacheKey) const {
    auto it = images_.find(cacheKey);
    return it == images_.end() ? Glib::RefPtr<Gdk::Pixbuf>() : it->second;
}

std::optional<std::string> pageTitleFromHTML(const std::string& html) {
    // Searched by hand: a backtracking expression engine overflows its stack on large pages.
    std::string lower = html;
    for (char& c : lower) c = g_ascii_tolower(c);
    std::size_t open = lower.find("<title");
    if (open == std::string::npos) return std::nullopt;
    std::size_t start = lower.find('>', open);
    if (start == std::string::npos) return std::nullopt;
    std::size_t end = lower.find("</title>", start + 1);
    if (end == std::string::npos) return std::nullopt;
    std::string text = html.substr(start + 1, end - start - 1);
    replaceAll(text, "&amp;", "&");
    replaceAll(text, "&quot;", "\"");
    replaceAll(text, "&#39;", "'");
    return prefixCharacters(trimmedWhitespaceAndNewlines(text), kTitleCharacters);
}

std::shared_ptr<BoundedFetch> fetchWebsiteDetails(const std::string& address, GObjectPtr<SoupSession> session,
                                                  std::function<void(WebsiteDetails)> completion) {
    WebsiteDetails details;
    details.iconURL = rootFavicon(address);
    return BoundedFetch::start(
        std::move(session), address, kDetailsBytes, FaviconLoader::kTimeout,
        [details, completion = std::move(completion)](FetchResult result) mutable {
            bool html = result.contentType.find("html") != std::string::npos;
            if (result.ok && result.status == 200 && html) {
                std::string text = result.body.substr(0, kDetailsBytes);
                const char* end = nullptr;
                bool valid = g_utf8_validate(text.data(), static_cast<gssize>(text.size()), &end);
                // The limit may cut the last character in two; only that cut is forgiven.
                std::size_t validBytes = static_cast<std::size_t>(end - text.data());
                if (!valid && result.body.size() >= kDetailsBytes && text.size() - validBytes < 4 &&
                    g_utf8_get_char_validated(end, static_cast<gssize>(text.size() - validBytes)) ==
                        static_cast<gunichar>(-2)) {
                    text.resize(validBytes);
                    valid = true;
                }
                if (valid) details.title = pageTitleFromHTML(text);
            }
            completion(std::move(details));
        });
}

}  // namespace quenlith
