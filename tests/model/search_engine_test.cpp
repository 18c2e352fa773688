#include <gtest/gtest.h>

#include "model/search_engine.hpp"

namespace quenlith {
namespace {

TEST(SearchEngine, AddressCarriesTheQueryExactlyAsTypedAndRefusesInvalidText) {
    const struct {
        SearchEngine engine;
        std::string query;
        std::optional<std::string> expected;
    } cases[] = {
        {SearchEngine::google, "weather", "https://www.google.com/search?q=weather"},
        {SearchEngine::duckDuckGo, "weather", "https://duckduckgo.com/?q=weather"},
        {SearchEngine::bing, "weather", "https://www.bing.com/search?q=weather"},
        {SearchEngine::google, "c++ & q", "https://www.google.com/search?q=c%2B%2B%20%26%20q"},
        {SearchEngine::duckDuckGo, "a=b#c?d/e", "https://duckduckgo.com/?q=a%3Db%23c%3Fd%2Fe"},
        {SearchEngine::bing, "北京 天气",
         "https://www.bing.com/search?q=%E5%8C%97%E4%BA%AC%20%E5%A4%A9%E6%B0%94"},
        {SearchEngine::google, "100% sure", "https://www.google.com/search?q=100%25%20sure"},
        {SearchEngine::google, "-._~", "https://www.google.com/search?q=-._~"},
        {SearchEngine::bing, "", "https://www.bing.com/search?q="},
        {SearchEngine::google, std::string("\xC3\x28", 2), std::nullopt},
        {SearchEngine::google, std::string("a\0b", 3), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(searchURL(c.engine, c.query), c.expected) << c.query;
}

}  // namespace
}  // namespace quenlith
