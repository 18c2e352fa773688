#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/uri_components.hpp"

namespace quenlith {

// What happens to a navigation a page (or the user) starts, judged by its address alone.
enum class NavigationVerdict {
    allow,              // the web view loads it (the controller still applies the ad filter first)
    refuse,             // cancelled silently: no address, file: or javascript:
    askToOpenOutside,   // cancelled; the user may hand it to another application (mailto:, tel:, …)
};

// The scheme as written ("" when the text has none).
std::string uriScheme(std::string_view uri);

// http, https, about, blob, data, file and javascript are the web view's own schemes.
bool isHandledScheme(std::string_view scheme);

NavigationVerdict navigationVerdict(std::string_view uri);

// True for an address the user's default browser can take: scheme http or https.
bool isWebAddress(std::string_view uri);

// The title a finished load is recorded with: the page's title, else the address's host, else "".
std::string visitTitle(const std::optional<std::string>& pageTitle, std::string_view pageURI);

// The page's icon link, evaluated in the page's own world of the main frame.
inline constexpr std::string_view kFaviconLinkScript = "document.querySelector('link[rel~=icon]')?.href || null";

// Scrolls the main frame to a fraction (argument `position`) of its height; run in the page's
// world as an asynchronous function.
inline constexpr std::string_view kReadingPositionScript =
    "const s = document.scrollingElement; if (s) s.scrollTop = Math.max(0, s.scrollHeight - s.clientHeight) * "
    "position;";

// A reading position is kept only when present, finite and within 0...1.
bool isUsableReadingPosition(std::optional<double> fraction);

// A pending reading position applies to the page when both addresses name the same page.
bool readingPositionApplies(std::string_view pendingURL, const std::optional<std::string>& pageURI);

// The question before a link leaves the application.
struct OutsideLinkQuestion {
    std::string message;      // "Open another application?"
    std::string information;  // names the scheme as written
    std::string openButton;   // first button: hands the link to the system
    std::string cancelButton;
};
OutsideLinkQuestion outsideLinkQuestion(std::string_view uri);

}  // namespace quenlith
