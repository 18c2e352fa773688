#include "model/window_arrangement.hpp"

namespace quenlith {

std::optional<Rect> arrangedFrame(WindowArrangement arrangement, const Rect& frame, const ScreenLayout& layout) {
    std::vector<Rect> frames;
    for (const auto& screen : layout.screens) frames.push_back(screen.frame);
    std::optional<std::size_t> index = bestScreenIndex(frame, frames);
    if (!index) index = layout.mainScreen;
    if (!index || *index >= layout.screens.size()) return std::nullopt;
    const Rect& v = layout.screens[*index].visibleFrame;

    const double halfWidth = v.width * 0.5 - 12;
    switch (arrangement) {
    case WindowArrangement::left: return Rect{v.minX() + 8, v.minY() + 8, halfWidth, v.height - 16};
    case WindowArrangement::right: return Rect{v.midX() + 4, v.minY() + 8, halfWidth, v.height - 16};
    case WindowArrangement::center:
        return Rect{v.midX() - frame.width * 0.5, v.midY() - frame.height * 0.5, frame.width, frame.height};
    }
    return std::nullopt;
}

}  // namespace quenlith
