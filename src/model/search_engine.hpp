#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// The web search engine for typed queries. Its raw value is also its display text.
enum class SearchEngine { google, duckDuckGo, bing };

// Every case, in picker order.
inline constexpr std::array<SearchEngine, 3> kAllSearchEngines = {
    SearchEngine::google, SearchEngine::duckDuckGo, SearchEngine::bing};

// "Google", "DuckDuckGo", "Bing".
std::string_view rawValue(SearchEngine engine);
// The case for a raw value (exact spelling), or nothing.
std::optional<SearchEngine> searchEngineFromRawValue(std::string_view text);

// The engine's search address for the query: its fixed https endpoint with exactly one query item
// "q" carrying the query, every character outside the unreserved set percent-encoded (so "c++ & q"
// arrives exactly as typed). Nothing when the query is not valid UTF-8.
std::optional<std::string> searchURL(SearchEngine engine, std::string_view query);

// JSON form: the raw value; any other value fails decoding with JsonDecodingError.
void to_json(nlohmann::json& json, const SearchEngine& engine);
void from_json(const nlohmann::json& json, SearchEngine& engine);

}  // namespace quenlith
