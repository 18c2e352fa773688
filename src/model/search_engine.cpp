#include "model/search_engine.hpp"

#include <glib.h>

#include <nlohmann/json.hpp>

#include "model/logging.hpp"
#include "model/json_coding.hpp"
#include "model/uri_flags.hpp"

namespace quenlith {

namespace {

// Each engine's public web-search endpoint; the query item is appended to it.
const char* searchEndpoint(SearchEngine engine) {
    switch (engine) {
        case SearchEngine::google: return "https://www.google.com/search";
        case SearchEngine::duckDuckGo: return "https://duckduckgo.com/";
        case SearchEngine::bing: return "https://www.bing.com/search";
    }
    return "https://www.google.com/search";
}

}  // namespace

std::string_view rawValue(SearchEngine engine) {
    switch (engine) {
        case SearchEngine::google: return "Google";
        case SearchEngine::duckDuckGo: return "DuckDuckGo";
        case SearchEngine::bing: return "Bing";
    }
    return "Google";
}

std::optional<SearchEngine> searchEngineFromRawValue(std::string_view text) {
    for (auto engine : kAllSearchEngines)
        if (rawValue(engine) == text) return engine;
    return std::nullopt;
}

std::optional<std::string> searchURL(SearchEngine engine, std::string_view query) {
    if (!g_utf8_validate_len(query.data(), static_cast<gssize>(query.size()), nullptr)) return std::nullopt;
    // Everything outside the unreserved set is escaped, so "+", "&", "=", "#", spaces and
    // non-ASCII text reach the engine exactly as typed.
    std::string text(query);
    char* escaped = g_uri_escape_string(text.c_str(), nullptr, FALSE);
    std::string address = std::string(searchEndpoint(engine)) + "?q=" + escaped;
    g_free(escaped);
    if (!g_uri_is_valid(address.c_str(), kUriFlags, nullptr)) return std::nullopt;
    return address;
}

void to_json(nlohmann::json& json, const SearchEngine& engine) {
    json = std::string(rawValue(engine));
}

void from_json(const nlohmann::json& json, SearchEngine& engine) {
    if (!json.is_string()) throw JsonDecodingError("expected a search engine name");
    auto parsed = searchEngineFromRawValue(json.get_ref<const std::string&>());
    if (!parsed) throw JsonDecodingError("unknown search engine: " + quotedForLog(json.get_ref<const std::string&>()));
    engine = *parsed;
}

}  // namespace quenlith
