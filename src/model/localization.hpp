#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/format_argument.hpp"

namespace quenlith {

// The English text is the key and the fallback. The interface language is fixed at the first
// lookup of a launch.
std::string localizedString(std::string_view english);

// Looks the format up like localizedString, then fills its placeholders (%@, %d, %ld, %lld, %%,
// positional %n$), formatting numbers with the interface language's locale. A translation whose
// placeholders do not match the English format falls back to the English format.
std::string localizedFormat(std::string_view englishFormat, const std::vector<FormatArgument>& arguments);

// A text that shows a count: the English singular format for a count of 1, the plural format for
// any other count; a catalog's plural entry ("singular\0plural") gives its own forms (Chinese has
// one for every count). Placeholders are filled like localizedFormat; the count is the only
// argument unless others are given (then the count must be among them).
std::string localizedPlural(std::string_view singularFormat, std::string_view pluralFormat,
                            std::int64_t count);
std::string localizedPlural(std::string_view singularFormat, std::string_view pluralFormat,
                            std::int64_t count, const std::vector<FormatArgument>& arguments);

// Items of a list written one after another, as the interface language separates them: "a, b" in
// English, "a、b" in Chinese.
std::string localizedList(const std::vector<std::string>& items);

// The text with a word joiner (U+2060) between the characters of each “quoted” run, so a wrapping
// label never breaks a quoted name across lines (Chinese may otherwise break between any two
// characters).
std::string withUnbreakableQuotes(std::string_view text);

// Points the gettext catalogs of GTK and WebKit (their dialog buttons, file choosers and text
// field menus) at the interface language chosen in Quenlith, so they speak it too; with the
// system's language (the default) nothing changes. Call before GTK starts; it changes the
// environment.
void useInterfaceLanguageForToolkitTexts();

// The BCP 47 tag of the interface language of this launch ("en" or "zh-Hans"), for formatting
// dates and numbers in it.
std::string interfaceLanguageCode();

}  // namespace quenlith
