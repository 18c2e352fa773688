#include <gtest/gtest.h>

#include <glib.h>

#include "model/json_coding.hpp"
#include "model/search_engine.hpp"
#include "model/uri_flags.hpp"

namespace quenlith {
namespace {

struct SearchCase {
    SearchEngine engine;
    const char* query;
    const char* expected;
};

void PrintTo(const SearchCase& c, std::ostream* out) {
    *out << rawValue(c.engine) << " \"" << c.query << '"';
}

class SearchAddress : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchAddress, CarriesTheQueryExactlyAsTyped) {
    const auto& c = GetParam();
    auto address = searchURL(c.engine, c.query);
    ASSERT_TRUE(address) << c.query;
    EXPECT_EQ(*address, c.expected);
    // The "q" parameter decodes back to the query itself.
    GUri* uri = g_uri_parse(address->c_str(), kUriFlags, nullptr);
    ASSERT_NE(uri, nullptr);
    std::string query = g_uri_get_query(uri);
    g_uri_unref(uri);
    ASSERT_EQ(query.rfind("q=", 0), 0u);
    char* decoded = g_uri_unescape_string(query.c_str() + 2, nullptr);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(std::string(decoded), c.query);
    g_free(decoded);
}

INSTANTIATE_TEST_SUITE_P(
    AllEngines, SearchAddress,
    ::testing::Values(
        SearchCase{SearchEngine::google, "weather", "https://www.google.com/search?q=weather"},
        SearchCase{SearchEngine::duckDuckGo, "weather", "https://duckduckgo.com/?q=weather"},
        SearchCase{SearchEngine::bing, "weather", "https://www.bing.com/search?q=weather"},
        SearchCase{SearchEngine::google, "c++ & q", "https://www.google.com/search?q=c%2B%2B%20%26%20q"},
        SearchCase{SearchEngine::duckDuckGo, "a=b#c?d/e", "https://duckduckgo.com/?q=a%3Db%23c%3Fd%2Fe"},
        SearchCase{SearchEngine::bing, "北京 天气",
                   "https://www.bing.com/search?q=%E5%8C%97%E4%BA%AC%20%E5%A4%A9%E6%B0%94"},
        SearchCase{SearchEngine::google, "100% sure", "https://www.google.com/search?q=100%25%20sure"},
        SearchCase{SearchEngine::google, "-._~", "https://www.google.com/search?q=-._~"},
        SearchCase{SearchEngine::bing, "", "https://www.bing.com/search?q="}));

TEST(SearchEngine, RefusesInvalidText) {
    EXPECT_FALSE(searchURL(SearchEngine::google, std::string("\xC3\x28", 2)));
    EXPECT_FALSE(searchURL(SearchEngine::google, std::string("a\0b", 3)));
}

}  // namespace
}  // namespace quenlith
