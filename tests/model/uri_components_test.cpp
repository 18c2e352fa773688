#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "model/uri_components.hpp"

namespace quenlith {
namespace {

using Parts = std::tuple<std::optional<std::string>, std::optional<std::string>, std::optional<std::string>, int,
                         std::string, std::optional<std::string>, std::optional<std::string>>;

Parts partsOf(const UriComponents& c) {
    return {c.scheme, c.userinfo, c.host, c.port, c.path, c.query, c.fragment};
}

// Every part the one parser reads, and the address the parts form again: an anchor, a query or a
// port lost here is lost wherever an address is taken apart and put back together.
TEST(UriComponents, ParsingKeepsEveryPartAndTheyFormTheAddressAgain) {
    const std::optional<std::string> none;
    const std::pair<std::string, Parts> cases[] = {
        {"https://example.com/", {"https", none, "example.com", -1, "/", none, none}},
        {"https://ann:pw@Example.com:8443/a/b?q=1&r=%20#part",
         {"https", "ann:pw", "Example.com", 8443, "/a/b", "q=1&r=%20", "part"}},
        {"http://example.com/#/route?token=x", {"http", none, "example.com", -1, "/", none, "/route?token=x"}},
        {"https://example.com/page#", {"https", none, "example.com", -1, "/page", none, ""}},
        {"mailto:ann@example.com", {"mailto", none, none, -1, "ann@example.com", none, none}},
    };
    for (const auto& [address, parts] : cases) {
        auto parsed = parseUri(address);
        ASSERT_TRUE(parsed) << address;
        EXPECT_EQ(partsOf(*parsed), parts) << address;
        EXPECT_EQ(partsOf(splitUri(address).value()), parts) << address;
        EXPECT_EQ(joinUri(*parsed), address) << address;
    }
    EXPECT_FALSE(parseUri("/relative/path#part"));
    EXPECT_EQ(partsOf(splitUri("/relative/path#part").value()), (Parts{none, none, none, -1, "/relative/path", none, "part"}));
}

}  // namespace
}  // namespace quenlith
