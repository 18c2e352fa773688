#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/format_argument.hpp"

namespace quenlith {

// What a placeholder takes: %@ text, %d / %ld / %lld an integer.
enum class PlaceholderKind { text, integer };

// The argument positions (from 0) a format's placeholders use, with their kinds. Nothing when two
// placeholders give one position different kinds. "%%" and a "%" that starts no known placeholder
// are plain text.
std::optional<std::map<std::size_t, PlaceholderKind>> placeholderKinds(std::string_view format);

// Fills printf-style placeholders (%@, %d, %ld, %lld, %%, positional %n$) with typed arguments,
// writing integers in a locale's digits without grouping (as %ld always did).
//
// Mistakes of the caller never crash: a placeholder without an argument is written out as it
// stands, an integer given for %@ is written as a number and a text given for %d is written as it
// is.
class TextFormatter {
public:
    // A BCP 47 language tag such as "en" or "zh-Hans"; an unknown tag formats like the root locale.
    explicit TextFormatter(const std::string& languageTag);
    ~TextFormatter();
    TextFormatter(TextFormatter&&) noexcept;
    TextFormatter& operator=(TextFormatter&&) noexcept;

    std::string format(std::string_view format, const std::vector<FormatArgument>& arguments) const;
    std::string formatInteger(std::int64_t value) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quenlith
