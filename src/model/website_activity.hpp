#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quenlith {

// What a website is doing now across the open windows. The raw value is also the English display
// text.
enum class WebsiteActivity { sleeping, tucked, visible, background, hidden, minimized, closed };

inline constexpr std::array<WebsiteActivity, 7> kAllWebsiteActivities = {
    WebsiteActivity::sleeping,   WebsiteActivity::tucked, WebsiteActivity::visible,
    WebsiteActivity::background, WebsiteActivity::hidden, WebsiteActivity::minimized,
    WebsiteActivity::closed};

// "Sleeping", "Tucked at Edge", "Viewing", "Background Tab", "Window Hidden", "Window Minimized",
// "Not Open".
std::string_view rawValue(WebsiteActivity activity);
// The raw value in the interface language.
std::string title(WebsiteActivity activity);

}  // namespace quenlith
