#include "launcher/launcher_geometry.hpp"

#include <algorithm>

namespace quenlith {

namespace {

constexpr int kHorizontalMargin = 24;
constexpr int kVerticalMargin = 36;

}  // namespace

LauncherRect launcherFrame(const LauncherRect& workArea, int x, int y, int contentWidth) {
    const int right = workArea.x + workArea.width;
    const int bottom = workArea.y + workArea.height;
    const int pointX = std::clamp(x, workArea.x, std::max(workArea.x, right - 1));
    const int pointY = std::clamp(y, workArea.y, std::max(workArea.y, bottom));

    const int below = bottom - pointY;
    const int above = pointY - workArea.y;
    const bool opensBelow = below >= above;
    const int room = opensBelow ? below : above;

    LauncherRect frame;
    frame.width = std::min(std::max(workArea.width - kHorizontalMargin, 1), std::max(kLauncherWidth, contentWidth));
    frame.height = std::min(std::max(room - kVerticalMargin, 1), kLauncherHeight);
    frame.x = std::clamp(pointX - frame.width / 2, workArea.x, std::max(workArea.x, right - frame.width));
    frame.y = opensBelow ? pointY : pointY - frame.height;
    frame.y = std::clamp(frame.y, workArea.y, std::max(workArea.y, bottom - frame.height));
    return frame;
}

}  // namespace quenlith
