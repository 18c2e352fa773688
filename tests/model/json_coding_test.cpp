#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/uuid.hpp"

namespace quenlith {
namespace {

TEST(Uuid, WritesUpperCaseAndReadsEitherCase) {
    auto lower = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    auto upper = Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    ASSERT_TRUE(lower && upper);
    EXPECT_EQ(*lower, *upper);
    EXPECT_EQ(lower->string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
}

TEST(Uuid, RefusesMalformedText) {
    for (const char* text : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5G",
                             "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0", "{E621E1F8-C36C-495A-93FC-0C247A3E6E}"})
        EXPECT_FALSE(Uuid::parse(text)) << text;
}

TEST(Uuid, RandomIdentifiersDifferAndRoundTrip) {
    Uuid a = Uuid::random(), b = Uuid::random();
    EXPECT_NE(a, b);
    EXPECT_EQ(Uuid::parse(a.string()), a);
    EXPECT_FALSE(a.isNil());
    EXPECT_TRUE(Uuid().isNil());
}

TEST(JsonCoding, IntegersAreCheckedForTypeAndRange) {
    std::uint32_t value = 0;
    EXPECT_NO_THROW(decodeValue(Json(4294967295u), value));
    EXPECT_EQ(value, 4294967295u);
    EXPECT_THROW(decodeValue(Json(4294967296ull), value), JsonDecodingError);
    EXPECT_THROW(decodeValue(Json(-1), value), JsonDecodingError);
    EXPECT_THROW(decodeValue(Json("1"), value), JsonDecodingError);
    EXPECT_THROW(decodeValue(Json(1.5), value), JsonDecodingError);
    EXPECT_NO_THROW(decodeValue(Json(3.0), value));
    EXPECT_EQ(value, 3u);
    std::int64_t wide = 0;
    EXPECT_NO_THROW(decodeValue(Json(-9007199254740991ll), wide));
    EXPECT_THROW(decodeValue(Json(1e300), wide), JsonDecodingError);
}

TEST(JsonCoding, RequiredAndOptionalKeys) {
    Json object = {{"name", "A"}, {"opacity", "x"}, {"nothing", nullptr}};
    std::string name;
    readRequired(object, "name", name);
    EXPECT_EQ(name, "A");
    double opacity = 0;
    EXPECT_THROW(readRequired(object, "opacity", opacity), JsonDecodingError);
    EXPECT_THROW(readRequired(object, "missing", opacity), JsonDecodingError);
    std::optional<std::string> absent = "kept?";
    readOptional(object, "nothing", absent);
    EXPECT_FALSE(absent);
    readOptional(object, "missing", absent);
    EXPECT_FALSE(absent);
    std::optional<bool> wrong;
    EXPECT_THROW(readOptional(object, "name", wrong), JsonDecodingError);
}

TEST(JsonText, RefusesNonFiniteNumbersAndSortsKeys) {
    Json object = {{"b", 1}, {"a", {1.5, 2}}};
    EXPECT_EQ(encodeJsonText(object, JsonStyle::compact), R"({"a":[1.5,2],"b":1})");
    object["c"] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(encodeJsonText(object, JsonStyle::pretty));
    object["c"] = std::nan("");
    EXPECT_FALSE(encodeJsonText(object, JsonStyle::compact));
}

TEST(JsonText, RefusesInvalidUtf8AndMalformedText) {
    EXPECT_FALSE(encodeJsonText(Json(std::string("\xff\xfe")), JsonStyle::compact));
    std::string error;
    EXPECT_FALSE(parseJsonText("{\"a\":", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(parseJsonText("{\"a\":1}"));
}

// A number beyond the range of a double is damaged text like any other, not a reason to stop.
TEST(JsonText, NumbersOutOfRangeAreMalformedText) {
    for (const char* text : {"{\"a\": 1e999}", "[-1e400]", "{\"opacity\": 1.5e309, \"b\": true}",
                             "{\"a\":[0, 123456789e999]}"}) {
        std::string error;
        EXPECT_FALSE(parseJsonText(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    // Large integers still parse (as unsigned or as a finite double); an underflow reads as zero.
    EXPECT_TRUE(parseJsonText("[18446744073709551615, 1e308]"));
    auto tiny = parseJsonText("[1e-400]");
    ASSERT_TRUE(tiny);
    EXPECT_EQ((*tiny)[0].get<double>(), 0.0);
}

}  // namespace
}  // namespace quenlith
