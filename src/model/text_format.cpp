#include "model/text_format.hpp"

#include <unicode/locid.h>
#include <unicode/numberformatter.h>

namespace quenlith {

namespace {

// Positions beyond this are not placeholders; no text of ours comes near it.
constexpr std::size_t kMaximumPosition = 64;

struct Placeholder {
    std::size_t length = 0;               // characters of the format it covers, from the "%"
    std::optional<std::size_t> position;  // explicit "n$" position, from 0
    PlaceholderKind kind = PlaceholderKind::text;
};

// Reads the placeholder starting at format[start] == '%'. Nothing for "%%" or an unknown form.
std::optional<Placeholder> readPlaceholder(std::string_view format, std::size_t start) {
    Placeholder placeholder;
    std::size_t i = start + 1;
    std::size_t digitsStart = i;
    std::size_t number = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9' && i - digitsStart < 3) {
        number = number * 10 + static_cast<std::size_t>(format[i] - '0');
        ++i;
    }
    if (i > digitsStart) {
        if (i >= format.size() || format[i] != '$' || number == 0 || number > kMaximumPosition)
            return std::nullopt;
        placeholder.position = number - 1;
        ++i;
    }
    if (i < format.size() && format[i] == '@') {
        placeholder.kind = PlaceholderKind::text;
        placeholder.length = i + 1 - start;
        return placeholder;
    }
    std::size_t lengthModifiers = 0;
    while (i < format.size() && format[i] == 'l' && lengthModifiers < 2) {
        ++i;
        ++lengthModifiers;
    }
    if (i < format.size() && format[i] == 'd') {
        placeholder.kind = PlaceholderKind::integer;
        placeholder.length = i + 1 - start;
        return placeholder;
    }
    return std::nullopt;
}

// Walks a format, calling onText for literal runs and onPlaceholder for each placeholder with its
// resolved argument position.
template <typename OnText, typename OnPlaceholder>
void walkFormat(std::string_view format, OnText onText, OnPlaceholder onPlaceholder) {
    std::size_t next = 0;  // the position of the next placeholder without "n$"
    std::size_t literalStart = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            onText(format.substr(literalStart, i + 1 - literalStart));  // up to and with one "%"
            i += 2;
            literalStart = i;
            continue;
        }
        auto placeholder = readPlaceholder(format, i);
        if (!placeholder) {
            ++i;  // a lone "%" stays in the text
            continue;
        }
        onText(format.substr(literalStart, i - literalStart));
        std::size_t position = placeholder->position ? *placeholder->position : next++;
        onPlaceholder(format.substr(i, placeholder->length), position, placeholder->kind);
        i += placeholder->length;
        literalStart = i;
    }
    onText(format.substr(literalStart));
}

}  // namespace

std::optional<std::map<std::size_t, PlaceholderKind>> placeholderKinds(std::string_view format) {
    std::map<std::size_t, PlaceholderKind> kinds;
    bool consistent = true;
    walkFormat(
        format, [](std::string_view) {},
        [&](std::string_view, std::size_t position, PlaceholderKind kind) {
            auto [it, inserted] = kinds.emplace(position, kind);
            if (!inserted && it->second != kind) consistent = false;
        });
    if (!consistent) return std::nullopt;
    return kinds;
}

struct TextFormatter::Impl {
    icu::number::LocalizedNumberFormatter numbers;
};

TextFormatter::TextFormatter(const std::string& languageTag) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(languageTag, status);
    if (U_FAILURE(status)) locale = icu::Locale::getRoot();
    impl_ = std::make_unique<Impl>(
        Impl{icu::number::NumberFormatter::withLocale(locale).grouping(UNUM_GROUPING_OFF)});
}

TextFormatter::~TextFormatter() = default;
TextFormatter::TextFormatter(TextFormatter&&) noexcept = default;
TextFormatter& TextFormatter::operator=(TextFormatter&&) noexcept = default;

std::string TextFormatter::formatInteger(std::int64_t value) const {
    UErrorCode status = U_ZERO_ERROR;
    auto formatted = impl_->numbers.formatInt(value, status);
    std::string text;
    if (U_SUCCESS(status)) formatted.toString(status).toUTF8String(text);
    if (U_FAILURE(status) || text.empty()) return std::to_string(value);
    return text;
}

std::string TextFormatter::format(std::string_view format,
                                  const std::vector<FormatArgument>& arguments) const {
    std::string out;
    out.reserve(format.size() + 16 * arguments.size());
    walkFormat(
        format, [&](std::string_view text) { out += text; },
        [&](std::string_view placeholder, std::size_t position, PlaceholderKind) {
            if (position >= arguments.size()) {
                out += placeholder;
                return;
            }
            const auto& argument = arguments[position];
            if (const auto* text = std::get_if<std::string>(&argument))
                out += *text;
            else
                out += formatInteger(std::get<std::int64_t>(argument));
        });
    return out;
}

}  // namespace quenlith
