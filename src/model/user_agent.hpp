#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quenlith {

// The user-agent choices offered for a website. Never stored: a website keeps only the resulting
// text, and the preset is recomputed from it.
enum class UserAgentPreset { system, safari, iphone, ipad, custom };

// Picker order.
inline constexpr std::array<UserAgentPreset, 5> kAllUserAgentPresets = {
    UserAgentPreset::system, UserAgentPreset::safari, UserAgentPreset::iphone, UserAgentPreset::ipad,
    UserAgentPreset::custom};

// The picker text: "Default", "Safari macOS", "iPhone", "iPad", "Custom".
std::string_view rawValue(UserAgentPreset preset);

// The fixed user-agent text of `safari`, `iphone` and `ipad`; nothing for `system` and `custom`.
std::optional<std::string_view> userAgentText(UserAgentPreset preset);

// The preset shown for a stored text: `system` for none or empty, a fixed preset on exact
// equality, else `custom`.
UserAgentPreset userAgentPreset(const std::optional<std::string>& userAgent);

// The one check every stored user-agent text passes: nothing when usable, else the localised
// message. At most 4096 UTF-8 bytes and no control or format characters.
std::optional<std::string> userAgentValidationMessage(const std::optional<std::string>& userAgent);

}  // namespace quenlith
