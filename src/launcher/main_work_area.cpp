#include "launcher/main_work_area.hpp"

#include "windows/screen_layout.hpp"

namespace quenlith {

std::optional<ContentSize> mainWorkArea() {
    ScreenLayout layout = screenLayout(Gdk::Display::get_default());
    if (!layout.mainScreen) return std::nullopt;
    const Rect& area = layout.screens[*layout.mainScreen].visibleFrame;
    return ContentSize{static_cast<int>(area.width), static_cast<int>(area.height)};
}

}  // namespace quenlith
