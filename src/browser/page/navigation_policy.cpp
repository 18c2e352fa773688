#include "browser/page/navigation_policy.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include <glib.h>

#include "model/deduplication.hpp"
#include "model/localization.hpp"
#include "model/uri_components.hpp"

namespace quenlith {
namespace {

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return g_ascii_tolower(c); });
    return lower;
}

}  // namespace

std::string uriScheme(std::string_view uri) {
    // The splitter lower-cases the scheme; the text shows it as written, at the same place.
    auto parts = splitUri(uri);
    if (!parts || !parts->scheme) return {};
    return std::string(uri.substr(0, parts->scheme->size()));
}

bool isHandledScheme(std::string_view scheme) {
    static constexpr std::array<std::string_view, 7> handled = {"http", "https", "about", "blob",
                                                                "data", "file",  "javascript"};
    std::string lower = asciiLower(scheme);
    return std::find(handled.begin(), handled.end(), lower) != handled.end();
}

NavigationVerdict navigationVerdict(std::string_view uri) {
    if (uri.empty()) return NavigationVerdict::refuse;
    std::string scheme = uriScheme(uri);
    if (!scheme.empty() && !isHandledScheme(scheme)) return NavigationVerdict::askToOpenOutside;
    std::string lower = asciiLower(scheme);
    if (lower == "file" || lower == "javascript") return NavigationVerdict::refuse;
    return NavigationVerdict::allow;
}

bool isWebAddress(std::string_view uri) {
    std::string lower = asciiLower(uriScheme(uri));
    return lower == "http" || lower == "https";
}

std::string visitTitle(const std::optional<std::string>& pageTitle, std::string_view pageURI) {
    if (pageTitle && !pageTitle->empty()) return *pageTitle;
    return uriHost(pageURI).value_or("");
}

bool isUsableReadingPosition(std::optional<double> fraction) {
    return fraction && std::isfinite(*fraction) && *fraction >= 0.0 && *fraction <= 1.0;
}

bool readingPositionApplies(std::string_view pendingURL, const std::optional<std::string>& pageURI) {
    return pageURI && !pageURI->empty() && deduplicationKey(pendingURL) == deduplicationKey(*pageURI);
}

OutsideLinkQuestion outsideLinkQuestion(std::string_view uri) {
    return {localizedString("Open another application?"),
            localizedFormat("This page wants to open a %@ link outside Quenlith.", {uriScheme(uri)}),
            localizedString("Open"), localizedString("Cancel")};
}

}  // namespace quenlith
