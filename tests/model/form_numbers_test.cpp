#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "model/form_numbers.hpp"

namespace quenlith {
namespace {

TEST(FormNumbers, TextParsesOnlyNumbersInRangeAndPercentagesDropTheBinaryError) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"8080", 8080},         {"  8080 \n", 8080},  {"+8080", 8080},         {"1", 1},
        {"65535", 65535},       {"", std::nullopt},   {"   ", std::nullopt},    {"0", std::nullopt},
        {"65536", std::nullopt}, {"-1", std::nullopt}, {"80a", std::nullopt},    {"8 080", std::nullopt},
        {"++80", std::nullopt}, {"+", std::nullopt},  {"8080.0", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseProxyPortText(text), expected) << '"' << text << '"';

    const std::pair<const char*, std::optional<double>> decimals[] = {
        {"60", 60.0},          {" 12.5 ", 12.5},    {"+10", 10.0},         {"-3", -3.0},
        {"9.99", 9.99},        {"", std::nullopt},  {"abc", std::nullopt}, {"1.2.3", std::nullopt},
        {"10s", std::nullopt}, {".", std::nullopt}, {"+-3", std::nullopt}, {"1e400", std::nullopt},
        {"nan", std::nullopt},
    };
    for (const auto& [text, expected] : decimals)
        EXPECT_EQ(parseDecimalText(text), expected) << '"' << text << '"';
    EXPECT_TRUE(decimalText(60) == "60" && parseDecimalText(decimalText(12.25)) == 12.25);

    // A fraction, its rounded and its truncated percentage.
    const std::tuple<double, std::int64_t, std::int64_t> percents[] = {
        {1.15, 115, 115}, {0.57, 57, 57},  {0.35, 35, 35},  {1.0, 100, 100}, {0.999, 100, 99},
        {0.354, 35, 35},  {0.355, 36, 35}, {1.1, 110, 110}, {0.5, 50, 50},   {0.29, 29, 29},
    };
    for (const auto& [fraction, rounded, truncated] : percents) {
        EXPECT_EQ(roundedPercent(fraction), rounded) << fraction;
        EXPECT_EQ(truncatedPercent(fraction), truncated) << fraction;
    }
    EXPECT_EQ(percentText(roundedPercent(0.85)), "85%");

    // A stored size with a fraction: the whole number shown, and what the field read back stands for.
    const std::tuple<double, std::int64_t, const char*, std::optional<double>> steppers[] = {
        {487.9, 487, "487", 487.9}, {487.9, 487, "488", 488.0},     {467.9, 467, "467", 467.9},
        {480.0, 480, "480", 480.0}, {480.0, 480, "500", 500.0},     {1599.5, 1599, " 1599 ", 1599.5},
        {-3.5, -3, "-3", -3.5},     {487.9, 487, "", std::nullopt}, {487.9, 487, "48x", std::nullopt},
    };
    for (const auto& [stored, whole, field, value] : steppers) {
        EXPECT_EQ(truncatedWhole(stored), whole) << stored;
        EXPECT_EQ(wholeStepperFieldValue(field, stored), value) << stored << " \"" << field << '"';
    }
}

}  // namespace
}  // namespace quenlith
