#include "model/window_geometry.hpp"

#include <algorithm>
#include <cmath>

namespace quenlith {

std::optional<Rect> intersection(const Rect& a, const Rect& b) {
    double left = std::max(a.minX(), b.minX());
    double top = std::max(a.minY(), b.minY());
    double right = std::min(a.maxX(), b.maxX());
    double bottom = std::min(a.maxY(), b.maxY());
    if (!(right > left) || !(bottom > top)) return std::nullopt;
    return Rect{left, top, right - left, bottom - top};
}

std::optional<std::size_t> bestScreenIndex(const Rect& frame, const std::vector<Rect>& screens) {
    std::optional<std::size_t> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        auto overlap = intersection(frame, screens[i]);
        if (!overlap) continue;
        double area = overlap->width * overlap->height;
        if (!best || area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

Rect edgeHandleFrame(DockEdge edge, const Rect& windowFrame, const Rect& screenFrame) {
    constexpr double width = 16, height = 72, margin = 8;
    double x = edge == DockEdge::right ? screenFrame.maxX() - width : screenFrame.minX();
    double y = windowFrame.midY() - height / 2;
    y = std::max(y, screenFrame.minY() + margin);
    y = std::min(y, screenFrame.maxY() - height - margin);  // applied last: the bottom margin wins
    return Rect{x, y, width, height};
}

std::optional<DockEdge> dockEdge(const Rect& frame, const Rect& visibleFrame, double tolerance) {
    if (!intersection(frame, visibleFrame)) return std::nullopt;
    if (std::abs(frame.minX() - visibleFrame.minX()) <= tolerance) return DockEdge::left;
    if (std::abs(frame.maxX() - visibleFrame.maxX()) <= tolerance) return DockEdge::right;
    return std::nullopt;
}

std::uint32_t fnv1a32(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 16777619u;
    }
    return hash;
}

std::optional<std::uint32_t> displayNumber(std::string_view connectorName) {
    if (connectorName.empty()) return std::nullopt;
    return fnv1a32(connectorName);
}

namespace {

std::vector<Rect> visibleFrames(const ScreenLayout& layout) {
    std::vector<Rect> frames;
    for (const auto& screen : layout.screens) frames.push_back(screen.visibleFrame);
    return frames;
}

const ScreenArea* mainScreen(const ScreenLayout& layout) {
    if (!layout.mainScreen || *layout.mainScreen >= layout.screens.size()) return nullptr;
    return &layout.screens[*layout.mainScreen];
}

}  // namespace

std::optional<Rect> clampedFrame(const Rect& frame, const ScreenLayout& layout) {
    const Rect* visible = nullptr;
    if (auto index = bestScreenIndex(frame, visibleFrames(layout)))
        visible = &layout.screens[*index].visibleFrame;
    else if (auto main = mainScreen(layout))
        visible = &main->visibleFrame;
    if (!visible) return std::nullopt;

    // A frame that is not finite would stay so through every comparison: it takes the smallest
    // size at the visible frame's corner instead.
    auto finiteOr = [](double value, double fallback) { return std::isfinite(value) ? value : fallback; };
    const Rect& v = *visible;
    return frameWithin(Rect{finiteOr(frame.minX(), v.minX()), finiteOr(frame.minY(), v.minY()),
                            std::max(finiteOr(frame.width, 0), kPanelMinimumWidth),
                            std::max(finiteOr(frame.height, 0), kPanelMinimumHeight)},
                       v);
}

Rect frameWithin(const Rect& frame, const Rect& area) {
    const double width = std::min(frame.width, area.width);
    const double height = std::min(frame.height, area.height);
    return Rect{std::min(std::max(frame.minX(), area.minX()), area.maxX() - width),
                std::min(std::max(frame.minY(), area.minY()), area.maxY() - height), width, height};
}

Rect centeredFrame(double width, double height, const ScreenLayout& layout) {
    auto main = mainScreen(layout);
    if (!main) return Rect{0, 0, width, height};
    const Rect& v = main->visibleFrame;
    return Rect{v.midX() - width * 0.5, v.midY() - height * 0.5, width, height};
}

Rect initialFrame(const std::optional<CodableRect>& remembered, double defaultWidth, double defaultHeight,
                  const ScreenLayout& layout) {
    Rect frame;
    if (!remembered) {
        frame = centeredFrame(defaultWidth, defaultHeight, layout);
    } else {
        frame = rect(*remembered);
        if (remembered->displayID) {
            bool connected =
                std::any_of(layout.screens.begin(), layout.screens.end(),
                            [&](const ScreenArea& s) { return s.displayID == remembered->displayID; });
            if (!connected && mainScreen(layout)) frame = centeredFrame(frame.width, frame.height, layout);
        }
    }
    return clampedFrame(frame, layout).value_or(frame);
}

CodableRect codableRect(const Rect& frame, const ScreenLayout& layout) {
    CodableRect saved{frame.x, frame.y, frame.width, frame.height, std::nullopt};
    std::vector<Rect> frames;
    for (const auto& screen : layout.screens) frames.push_back(screen.frame);
    if (auto index = bestScreenIndex(frame, frames)) saved.displayID = layout.screens[*index].displayID;
    return saved;
}

Rect rect(const CodableRect& saved) {
    return Rect{saved.x, saved.y, saved.width, saved.height};
}

Rect visibleFrame(const WindowPlacement& placement) {
    const Rect& outer = placement.outer;
    const Margins& s = placement.shadow;
    return Rect{outer.x + s.left, outer.y + s.top, outer.width - s.left - s.right,
                outer.height - s.top - s.bottom};
}

Rect clientRequestForFrame(const Rect& frame, const WindowPlacement& current) {
    const Rect& outer = current.outer;
    const Rect& client = current.client;
    const Margins& s = current.shadow;
    Margins decoration{client.minX() - outer.minX(), outer.maxX() - client.maxX(),
                       client.minY() - outer.minY(), outer.maxY() - client.maxY()};
    return Rect{frame.x - s.left, frame.y - s.top,
                frame.width - decoration.left - decoration.right + s.left + s.right,
                frame.height - decoration.top - decoration.bottom + s.top + s.bottom};
}

}  // namespace quenlith
