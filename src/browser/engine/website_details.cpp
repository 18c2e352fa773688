#include "browser/engine/website_details.hpp"

#include "browser/engine/bounded_fetch.hpp"
#include "model/address.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

constexpr std::size_t kDetailsBytes = 256 * 1024;
constexpr std::size_t kTitleCharacters = 100;
constexpr std::chrono::seconds kTimeout{8};

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

std::optional<std::string> pageText(const std::string& body, std::size_t limit) {
    std::string text = body.substr(0, limit);
    const char* end = nullptr;
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), &end)) return text;
    // The limit may cut the last character in two; only that cut is forgiven.
    const std::size_t validBytes = static_cast<std::size_t>(end - text.data());
    const bool cutByLimit = body.size() > limit && text.size() - validBytes < 4 &&
                            g_utf8_get_char_validated(end, static_cast<gssize>(text.size() - validBytes)) ==
                                static_cast<gunichar>(-2);
    if (!cutByLimit) return std::nullopt;
    text.resize(validBytes);
    return text;
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
    // "&amp;" goes last, so an escaped entity ("&amp;quot;") is decoded once, not twice.
    replaceAll(text, "&quot;", "\"");
    replaceAll(text, "&#39;", "'");
    replaceAll(text, "&amp;", "&");
    return prefixCharacters(trimmedWhitespaceAndNewlines(text), kTitleCharacters);
}

std::shared_ptr<BoundedFetch> fetchWebsiteDetails(const std::string& address, GObjectPtr<SoupSession> session,
                                                  std::function<void(WebsiteDetails)> completion) {
    WebsiteDetails details;
    details.iconURL = rootFaviconURL(address);
    return BoundedFetch::start(
        std::move(session), address, kDetailsBytes, kTimeout,
        [details, completion = std::move(completion)](FetchResult result) mutable {
            bool html = result.contentType.find("html") != std::string::npos;
            if (result.ok && result.status == 200 && html) {
                if (auto text = pageText(result.body, kDetailsBytes)) details.title = pageTitleFromHTML(*text);
            }
            completion(std::move(details));
        });
}

}  // namespace quenlith
