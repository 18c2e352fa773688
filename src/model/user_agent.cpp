#include "model/user_agent.hpp"

#include <unicode/uchar.h>

#include "model/localization.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

namespace {

constexpr std::size_t kMaximumUserAgentBytes = 4096;

bool isControlOrFormat(char32_t scalar) {
    auto mask = U_GET_GC_MASK(static_cast<UChar32>(scalar));
    return (mask & (U_GC_CC_MASK | U_GC_CF_MASK)) != 0;
}

}  // namespace

std::string_view rawValue(UserAgentPreset preset) {
    switch (preset) {
    case UserAgentPreset::system: return "Default";
    case UserAgentPreset::safari: return "Safari macOS";
    case UserAgentPreset::iphone: return "iPhone";
    case UserAgentPreset::ipad: return "iPad";
    case UserAgentPreset::custom: return "Custom";
    }
    return "Default";
}

std::optional<std::string_view> userAgentText(UserAgentPreset preset) {
    switch (preset) {
    case UserAgentPreset::safari:
        return "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
               "Version/18.0 Safari/605.1.15";
    case UserAgentPreset::iphone:
        return "Mozilla/5.0 (iPhone; CPU iPhone OS 18_0 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
               "Version/18.0 Mobile/15E148 Safari/604.1";
    case UserAgentPreset::ipad:
        return "Mozilla/5.0 (iPad; CPU OS 18_0 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
               "Version/18.0 Mobile/15E148 Safari/604.1";
    case UserAgentPreset::system:
    case UserAgentPreset::custom:
        break;
    }
    return std::nullopt;
}

UserAgentPreset userAgentPreset(const std::optional<std::string>& userAgent) {
    if (!userAgent || userAgent->empty()) return UserAgentPreset::system;
    for (auto preset : {UserAgentPreset::safari, UserAgentPreset::iphone, UserAgentPreset::ipad})
        if (userAgentText(preset) == *userAgent) return preset;
    return UserAgentPreset::custom;
}

std::optional<std::string> userAgentValidationMessage(const std::optional<std::string>& userAgent) {
    if (!userAgent) return std::nullopt;
    if (userAgent->size() > kMaximumUserAgentBytes ||
        !allScalars(*userAgent, [](char32_t c) { return !isControlOrFormat(c); }))
        return localizedString("User-Agent must be one line, without control characters, and at most 4096 bytes.");
    return std::nullopt;
}

}  // namespace quenlith
