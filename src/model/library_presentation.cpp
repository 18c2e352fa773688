#include "model/library_presentation.hpp"

#include <algorithm>
#include <cmath>

#include <memory>

#include <unicode/datefmt.h>
#include <unicode/locid.h>

#include "model/localization.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

std::optional<long> savedPercent(std::optional<double> position) {
    if (!position || !std::isfinite(*position) || *position <= 0) return std::nullopt;
    const double percent = std::min(*position * 100.0, 100.0);
    // A product within rounding error of a whole number is that number (0.29 × 100 is
    // 28.999999999999996); anything else is cut toward zero.
    const double nearest = std::round(percent);
    const double whole = std::fabs(percent - nearest) < 1e-9 ? nearest : std::trunc(percent);
    return static_cast<long>(whole);
}

std::string hostText(std::string_view address) {
    auto host = uriHost(address);
    if (host && !host->empty()) return *host;
    return std::string(address);
}

std::string bookmarkSubtitle(const PageClip& clip) {
    if (!clip.collection.empty()) return clip.collection;
    auto host = uriHost(clip.address);
    if (host && !host->empty()) return *host;
    return localizedString("Bookmark");
}

std::string visitDateText(Date date) {
    // Made once per interface language, since a history holds many rows. The long style spells
    // the month out ("December 7, 2026", "2026年12月7日").
    thread_local std::string language;
    thread_local std::unique_ptr<icu::DateFormat> format;
    if (!format || language != interfaceLanguageCode()) {
        language = interfaceLanguageCode();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale locale = icu::Locale::forLanguageTag(language, status);
        if (U_FAILURE(status)) locale = icu::Locale::getRoot();
        format.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kLong, locale));
    }
    if (!format) return {};
    icu::UnicodeString text;
    format->format(date.unixSeconds() * 1000.0, text);
    std::string result;
    text.toUTF8String(result);
    return result;
}

ContentSize libraryContentSize(std::optional<ContentSize> workArea) {
    if (!workArea) return {780, 610};
    return {std::clamp(workArea->width - 60, 1, 780), std::clamp(workArea->height - 80, 1, 610)};
}

std::optional<ContentSize> libraryContentLimit(std::optional<ContentSize> workArea) {
    if (!workArea) return std::nullopt;
    return ContentSize{std::max(workArea->width - 60, 1), std::max(workArea->height - 80, 1)};
}

}  // namespace quenlith
