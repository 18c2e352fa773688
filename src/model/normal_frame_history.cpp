#include "model/normal_frame_history.hpp"

#include <cmath>

namespace quenlith {
namespace {

// Enough for the steps a window manager takes towards a maximised frame, and the frame before.
constexpr std::size_t kKeptFrames = 4;

bool near(double a, double b) {
    return std::abs(a - b) <= 1.0;
}

bool sameOrigin(const Rect& a, const Rect& b) {
    return near(a.x, b.x) && near(a.y, b.y);
}

bool sameSize(const Rect& a, const Rect& b) {
    return near(a.width, b.width) && near(a.height, b.height);
}

// Whether `frame`, seen after `before`, is a step towards filling `target`: already there, moved
// to its corner at the old size, or grown to its size in the old place.
bool stepTowards(const Rect& frame, const Rect& before, const Rect& target) {
    if (sameOrigin(frame, target) && sameSize(frame, target)) return true;
    if (sameOrigin(frame, target) && sameSize(frame, before)) return true;
    return sameOrigin(frame, before) && sameSize(frame, target);
}

bool stepTowardsAny(const Rect& frame, const Rect& before, const ScreenLayout& screens) {
    for (const auto& screen : screens.screens)
        if (stepTowards(frame, before, screen.visibleFrame) || stepTowards(frame, before, screen.frame)) return true;
    return false;
}

}  // namespace

void NormalFrameHistory::record(const Rect& frame) {
    if (!frames_.empty() && frames_.back() == frame) return;
    frames_.push_back(frame);
    if (frames_.size() > kKeptFrames) frames_.erase(frames_.begin());
}

void NormalFrameHistory::settleOnFilling(const ScreenLayout& screens) {
    // The first frame ever seen stays: there is none before it to come back to.
    while (frames_.size() > 1 && stepTowardsAny(frames_.back(), frames_[frames_.size() - 2], screens))
        frames_.pop_back();
}

std::optional<Rect> NormalFrameHistory::normalFrame() const {
    if (frames_.empty()) return std::nullopt;
    return frames_.back();
}

}  // namespace quenlith
