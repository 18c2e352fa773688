#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <libsoup/soup.h>

#include "browser/engine/gobject_ptr.hpp"

namespace quenlith {

class BoundedFetch;

// The page title of an HTML document as the details lookup reads it: the first
// <title …>…</title> in any letter case and over line breaks, with "&amp;", "&quot;" and "&#39;"
// decoded (nothing else), trimmed and cut to 100 characters; none without a title element.
std::optional<std::string> pageTitleFromHTML(const std::string& html);

// The first `limit` bytes of a page body as UTF-8 text; none when they are not UTF-8, except that a
// last character cut in two by the limit is dropped rather than failing the page.
std::optional<std::string> pageText(const std::string& body, std::size_t limit);

// Title and proposed icon address of a website's home page, read through the global proxy.
struct WebsiteDetails {
    std::optional<std::string> title;
    std::optional<std::string> iconURL;
    bool operator==(const WebsiteDetails&) const = default;
};

// Reads at most 256 KiB of the page at `address` (an address the normaliser made) and calls
// `completion` once on the main loop. Never fails: every failure gives no title. Dropping the
// returned handle cancels the lookup without a call. `session` is the global proxy's session, or
// none while that proxy is unusable.
std::shared_ptr<BoundedFetch> fetchWebsiteDetails(const std::string& address, GObjectPtr<SoupSession> session,
                                                  std::function<void(WebsiteDetails)> completion);

}  // namespace quenlith
