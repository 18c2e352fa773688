#include "model/toast_frame.hpp"

#include <algorithm>

namespace quenlith {

ToastFrame toastFrame(const ToastRoom& room, ToastEdge edge, int minimumWidth, int naturalWidth,
                      const std::function<int(int)>& heightForWidth) {
    ToastFrame frame;
    const int widest = std::max(0, room.width - 2 * ToastMargins::side);
    // Never narrower than the notice can be drawn while the view has room for it.
    frame.width = std::min(std::max(std::min(naturalWidth, widest), minimumWidth), std::max(room.width, 0));
    frame.x = std::max(0, (room.width - frame.width) / 2);
    frame.height = std::clamp(heightForWidth(frame.width), 0, std::max(room.height, 0));

    const int top = std::clamp(room.coveredTop, 0, std::max(room.height, 0)) + ToastMargins::belowBars;
    const int bottom = room.height - (edge == ToastEdge::bottom ? ToastMargins::aboveBottom : ToastMargins::belowBars);
    if (frame.height <= bottom - top)
        frame.y = edge == ToastEdge::top ? top : bottom - frame.height;
    else
        frame.y = std::max(0, std::min(top, room.height - frame.height));
    return frame;
}

}  // namespace quenlith
