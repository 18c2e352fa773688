#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/record_fields.hpp"
#include "model/uuid.hpp"

namespace quenlith {
namespace {

TEST(Uuid, WritesUpperCaseReadsEitherCaseAndRefusesMalformedText) {
    auto lower = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower, Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    EXPECT_EQ(lower->string(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    for (const char* text : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5G",
                             "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0", "{E621E1F8-C36C-495A-93FC-0C247A3E6E}"})
        EXPECT_FALSE(Uuid::parse(text)) << text;
    Uuid a = Uuid::random(), b = Uuid::random();
    EXPECT_NE(a, b);
    EXPECT_EQ(Uuid::parse(a.string()), a);
    EXPECT_TRUE(!a.isNil() && Uuid().isNil());
}

TEST(JsonCoding, IntegersAreCheckedForTypeAndRangeAndKeysForPresence) {
    const std::pair<Json, std::optional<std::uint32_t>> cases[] = {
        {4294967295u, 4294967295u}, {4294967296ull, std::nullopt}, {-1, std::nullopt}, {"1", std::nullopt},
        {1.5, std::nullopt}, {3.0, 3u}, {0.0, 0u}, {-0.0, 0u}, {-1.0, std::nullopt},
        {4294967295.0, 4294967295u}, {4294967296.0, std::nullopt}, {true, std::nullopt}};
    for (const auto& [json, expected] : cases)
        EXPECT_EQ(decodeJson<std::uint32_t>(json), expected) << json.dump();
    EXPECT_EQ(decodeJson<std::int64_t>(Json(-9007199254740991ll)), -9007199254740991ll);
    EXPECT_EQ(decodeJson<std::int64_t>(Json(-3.0)), -3);
    EXPECT_FALSE(decodeJson<std::int64_t>(Json(1e300)));
    EXPECT_FALSE(decodeJson<std::int64_t>(Json(9223372036854775808ull)));
    EXPECT_EQ(decodeJson<std::int32_t>(Json(-2147483648ll)), -2147483648ll);
    EXPECT_EQ(decodeJson<std::int32_t>(Json(-2147483648.0)), -2147483648ll) << "the lowest value written with a fraction";
    EXPECT_FALSE(decodeJson<std::int32_t>(Json(-2147483649ll)));

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

// A record read and written through its field table, with a field of every rule.
struct TableRecord {
    std::string name;
    std::int64_t count = 3;
    std::optional<bool> flag;
    std::optional<std::vector<std::string>> tags;
    double level = 1;

    bool operator==(const TableRecord&) const = default;
};

const RecordFields kTableRecordFields{field("name", &TableRecord::name),
                                      field("count", &TableRecord::count, FieldSet::live),
                                      field("flag", &TableRecord::flag, FieldSet::live),
                                      field("tags", &TableRecord::tags), field("level", &TableRecord::level)};

void PrintTo(const TableRecord& record, std::ostream* out);

void to_json(Json& json, const TableRecord& record) {
    kTableRecordFields.write(json, record);
}
void from_json(const Json& json, TableRecord& record) {
    kTableRecordFields.read(json, record);
}

void PrintTo(const TableRecord& record, std::ostream* out) {
    *out << Json(record).dump();
}

TEST(RecordFields, RequirePlainFieldsLeaveOutAbsentOptionalsAndIgnoreUnknownKeys) {
    const TableRecord full{"A", -2, false, std::vector<std::string>{"x"}, 0.5};
    EXPECT_EQ(Json(full).dump(), R"({"count":-2,"flag":false,"level":0.5,"name":"A","tags":["x"]})");
    EXPECT_EQ(Json(TableRecord()).dump(), R"({"count":3,"level":1.0,"name":""})")
        << "absent optionals are left out";

    const TableRecord plain{"A", 1, std::nullopt, std::nullopt, 2};
    const std::pair<const char*, std::optional<TableRecord>> cases[] = {
        {R"({"name":"A","count":-2,"flag":false,"tags":["x"],"level":0.5})", full},
        {R"({"name":"A","count":1,"level":2})", plain},
        {R"({"name":"A","count":1,"level":2,"flag":null,"tags":null})", plain},
        {R"({"name":"A","count":1,"level":2,"future":[1]})", plain},
        {R"({"count":1,"level":2})", std::nullopt},
        {R"({"name":"A","count":1})", std::nullopt},
        {R"({"name":"A","count":null,"level":2})", std::nullopt},
        {R"({"name":"A","count":"1","level":2})", std::nullopt},
        {R"({"name":"A","count":1,"level":2,"flag":1})", std::nullopt},
        {R"({"name":"A","count":1,"level":2,"tags":[1]})", std::nullopt},
        {R"(["A",1,2])", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(decodeJson<TableRecord>(Json::parse(text)), expected) << text;
}

TEST(RecordFields, NameTheSetsOfEachField) {
    const TableRecord source{"A", 7, true, std::vector<std::string>{"x"}, 0.5};
    TableRecord copy;
    kTableRecordFields.forEach([&](const auto& field) {
        if (contains(field.sets, FieldSet::live)) copy.*field.member = source.*field.member;
    });
    EXPECT_EQ(copy, (TableRecord{"", 7, true, std::nullopt, 1}));
}

TEST(JsonText, SortsKeysAndRefusesNonFiniteNumbersInvalidUtf8AndMalformedText) {
    Json object = {{"b", 1}, {"a", {1.5, 2}}};
    EXPECT_EQ(encodeJsonText(object, JsonStyle::compact), R"({"a":[1.5,2],"b":1})");
    object["c"] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(encodeJsonText(object, JsonStyle::pretty));
    object["c"] = std::nan("");
    EXPECT_FALSE(encodeJsonText(object, JsonStyle::compact));
    EXPECT_FALSE(encodeJsonText(Json(std::string("\xff\xfe")), JsonStyle::compact));
    // Text is written as the UTF-8 it is, not escaped: the file stays readable, and its size is the
    // one the caps count.
    EXPECT_EQ(encodeJsonText(Json("邮件 é"), JsonStyle::pretty), "\"邮件 é\"");
    std::string error;
    EXPECT_TRUE(!parseJsonText("{\"a\":", &error) && !error.empty());
    EXPECT_TRUE(parseJsonText("{\"a\":1}"));
}

// A number beyond the range of a double is damaged text like any other, not a reason to stop.
TEST(JsonText, NumbersOutOfRangeAreMalformedText) {
    for (const char* text : {"{\"a\": 1e999}", "[-1e400]", "{\"opacity\": 1.5e309, \"b\": true}",
                             "{\"a\":[0, 123456789e999]}"}) {
        std::string error;
        EXPECT_TRUE(!parseJsonText(text, &error) && !error.empty()) << text;
    }
    // Large integers still parse (as unsigned or as a finite double); an underflow reads as zero.
    EXPECT_TRUE(parseJsonText("[18446744073709551615, 1e308]"));
    EXPECT_EQ(parseJsonText("[1e-400]"), Json::parse("[0.0]"));
}

}  // namespace
}  // namespace quenlith
