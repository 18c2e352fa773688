#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quenlith {

// Number fields of the forms. Each field keeps the text the user typed and is read only on Save,
// so text that is not a number is refused there with the form's message instead of silently
// keeping the previous value.

// A port: trimmed of white space and line ends, an optional single "+" or "-", then decimal digits
// only, within the signed 64-bit range and within 1...65535.
std::optional<std::int64_t> parseProxyPortText(std::string_view text);

// A decimal number ("60", "12.5", "+10", "-3"; "." is the decimal separator): trimmed, finite, no
// other characters. Nothing for empty or malformed text.
std::optional<double> parseDecimalText(std::string_view text);

// The text a decimal field shows for a value: whole numbers without a fraction ("60"), others
// with as many digits as they need ("12.5").
std::string decimalText(double value);

// Percentages of fractions. Both first drop the binary representation's error (0.57 * 100 is
// 56.999…, 1.15 * 100 is 114.999…), so a stored 0.57 is 57 and 1.15 is 115.
// Rounded to the nearest whole number, halves away from zero (the opacity control).
std::int64_t roundedPercent(double fraction);
// Cut to a whole number toward zero (the page zoom).
std::int64_t truncatedPercent(double fraction);
// "85%": the percentage followed by the percent sign.
std::string percentText(std::int64_t percent);

// Steppers of whole pixels over stored sizes that may hold a fraction (a settings file written by
// hand or by an older version). They show the stored value cut to a whole number toward zero
// (487.9 is 487), and a step moves the stored value itself (487.9 less 20 is 467.9).
std::int64_t truncatedWhole(double value);
// The value a stepper's field stands for: the stored value while the field still shows it cut, so
// reading the field back before a step keeps the fraction; else the number typed; nothing for text
// that is not a number.
std::optional<double> wholeStepperFieldValue(std::string_view text, double stored);

}  // namespace quenlith
