#include "model/launch_request.hpp"

#include <glib.h>

#include <vector>

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/address_text.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

constexpr std::string_view kScheme = "quenlith";

struct QueryItem {
    std::string name;
    std::optional<std::string> value;
};

// Percent-decoded text; nothing for a broken escape or an escaped NUL.
std::optional<std::string> unescaped(std::string_view text) {
    std::string copy(text);
    gchar* decoded = g_uri_unescape_string(copy.c_str(), nullptr);
    if (!decoded) return std::nullopt;
    std::string result(decoded);
    g_free(decoded);
    return result;
}

// The query's items as split on "&" (an empty query has none); an item without "=" has no value.
// "+" stays a plus sign. Nothing when an item does not decode.
std::optional<std::vector<QueryItem>> queryItems(const std::optional<std::string>& query) {
    std::vector<QueryItem> items;
    if (!query || query->empty()) return items;
    std::string_view rest(*query);
    while (true) {
        const auto end = rest.find('&');
        std::string_view item = rest.substr(0, end);
        QueryItem parsed;
        const auto equals = item.find('=');
        auto name = unescaped(item.substr(0, equals));
        if (!name) return std::nullopt;
        parsed.name = std::move(*name);
        if (equals != std::string_view::npos) {
            parsed.value = unescaped(item.substr(equals + 1));
            if (!parsed.value) return std::nullopt;
        }
        items.push_back(std::move(parsed));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return items;
}

// The value of the one item named exactly `name`; nothing when there is another item, none, or
// the item has no value.
std::optional<std::string> soleValue(const std::vector<QueryItem>& items, std::string_view name) {
    if (items.size() != 1 || items[0].name != name) return std::nullopt;
    return items[0].value;
}

}  // namespace

LaunchRequest LaunchRequest::website(std::string url) {
    LaunchRequest request;
    request.kind = Kind::website;
    request.url = std::move(url);
    return request;
}

LaunchRequest LaunchRequest::workspace(const Uuid& id) {
    LaunchRequest request;
    request.kind = Kind::workspace;
    request.id = id;
    return request;
}

std::optional<LaunchRequest> LaunchRequest::parse(std::string_view link) {
    // Any program of the session may hand over a link: one of megabytes is refused before it is
    // copied, and the address it carries is held to the limit by normalizedWebsiteURL.
    if (!isWithinLaunchLinkLimit(link)) return std::nullopt;
    const std::string text(link);
    gchar* scheme = g_uri_parse_scheme(text.c_str());
    if (!scheme) return std::nullopt;
    const bool ours = asciiLowercased(scheme) == kScheme;
    g_free(scheme);
    if (!ours) return std::nullopt;

    auto parts = splitUri(text);
    if (!parts || parts->userinfo) return std::nullopt;
    if (!parts->path.empty() && parts->path != "/") return std::nullopt;
    auto items = queryItems(parts->query);
    if (!items || !parts->host) return std::nullopt;

    if (*parts->host == "open") {
        auto value = soleValue(*items, "url");
        if (!value || value->find("://") == std::string::npos) return std::nullopt;
        auto address = normalizedWebsiteURL(*value);
        if (!address) return std::nullopt;
        return website(std::move(*address));
    }
    if (*parts->host == "workspace") {
        auto value = soleValue(*items, "id");
        if (!value) return std::nullopt;
        auto id = Uuid::parse(*value);
        if (!id) return std::nullopt;
        return workspace(*id);
    }
    return std::nullopt;
}

}  // namespace quenlith
