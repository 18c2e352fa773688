#include "model/form_numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "model/text_limits.hpp"

namespace quenlith {

namespace {

constexpr std::int64_t kMaximumPort = 65535;

// The percentage with the error of the multiplication rounded away: anything within a millionth
// of a whole (or half) percent is taken as that value.
double cleanPercent(double fraction) {
    double percent = fraction * 100.0;
    double snapped = std::round(percent * 1e6) / 1e6;
    return std::isfinite(snapped) ? snapped : percent;
}

std::int64_t clampToInt64(double value) {
    if (!std::isfinite(value)) return 0;
    if (value >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
    if (value <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

}  // namespace

std::optional<std::int64_t> parseProxyPortText(std::string_view text) {
    std::string trimmed = trimmedWhitespaceAndNewlines(text);
    std::string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    std::int64_t value = 0;
    std::string signedDigits = (negative ? "-" : "") + std::string(digits);
    auto [end, error] =
        std::from_chars(signedDigits.data(), signedDigits.data() + signedDigits.size(), value);
    if (error != std::errc() || end != signedDigits.data() + signedDigits.size()) return std::nullopt;
    if (value < 1 || value > kMaximumPort) return std::nullopt;
    return value;
}

std::optional<double> parseDecimalText(std::string_view text) {
    std::string trimmed = trimmedWhitespaceAndNewlines(text);
    std::string_view body = trimmed;
    if (!body.empty() && body.front() == '+') body.remove_prefix(1);
    if (body.empty()) return std::nullopt;
    int points = 0;
    bool digit = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.')
            ++points;
        else if (!(c == '-' && i == 0 && trimmed.front() != '+'))
            return std::nullopt;
    }
    if (!digit || points > 1) return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (error != std::errc() || end != body.data() + body.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string decimalText(double value) {
    if (!std::isfinite(value)) return "";
    char buffer[64];
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    }
    return buffer;
}

std::int64_t roundedPercent(double fraction) {
    return clampToInt64(std::round(cleanPercent(fraction)));
}

std::int64_t truncatedPercent(double fraction) {
    return clampToInt64(std::trunc(cleanPercent(fraction)));
}

std::string percentText(std::int64_t percent) {
    return std::to_string(percent) + "%";
}

std::int64_t truncatedWhole(double value) {
    return clampToInt64(std::trunc(value));
}

std::optional<double> wholeStepperFieldValue(std::string_view text, double stored) {
    std::optional<double> typed = parseDecimalText(text);
    if (typed && std::isfinite(stored) && *typed == std::trunc(stored)) return stored;
    return typed;
}

}  // namespace quenlith
