#include "model/edge_tuck_controller.hpp"

#include "model/isolated_text.hpp"
#include "model/localization.hpp"

namespace quenlith {
namespace {

bool contains(const Rect& rect, const ScreenPoint& point) {
    return point.x >= rect.minX() && point.x <= rect.maxX() && point.y >= rect.minY() && point.y <= rect.maxY();
}

Rect grown(const Rect& rect, double margin) {
    return Rect{rect.x - margin, rect.y - margin, rect.width + 2 * margin, rect.height + 2 * margin};
}

}  // namespace

EdgeTuckController::EdgeTuckController(EdgeTuckWindow& owner, Scheduler& timers, const Clock& clock)
    : owner_(&owner), timers_(timers), clock_(clock) {}

EdgeTuckController::~EdgeTuckController() { tearDown(); }

void EdgeTuckController::tuck(std::optional<DockEdge> requested) {
    if (!owner_ || owner_->hasSheet()) return;
    auto visible = owner_->visibleFrame();
    if (!visible) return;
    moveTask_.cancel();

    const Rect frame = owner_->frame();
    edge_ = requested ? *requested : (frame.midX() >= visible->midX() ? DockEdge::right : DockEdge::left);
    handleFrame_ = edgeHandleFrame(*edge_, frame, *visible);
    outsideSince_.reset();
    revealed_ = false;

    owner_->orderOut();
    // The handle's label is its window's title and its tooltip, shown whole.
    owner_->showHandle(*handleFrame_, localizedFormat("Expand %@", {shownName(owner_->displayTitle(),
                                                                                 kShownTitleCharacters)}));
    owner_->visibilityChanged();
    startTimer();
}

void EdgeTuckController::reveal() {
    if (!owner_ || !edge_ || revealed_) return;
    // The handle stays, so that a click on it can still bring the window back for good.
    revealed_ = true;
    owner_->present(false, true, true);
    if (owner_) owner_->visibilityChanged();
}

void EdgeTuckController::click() {
    if (!owner_) return;
    // present() resets the tuck first: the window is an ordinary one again.
    owner_->present(true, false, true);
}

void EdgeTuckController::reset() {
    moveTask_.cancel();
    timer_.cancel();
    if (owner_) owner_->hideHandle();
    edge_.reset();
}

void EdgeTuckController::tearDown() {
    reset();
    owner_ = nullptr;
}

void EdgeTuckController::windowMoved() {
    moveTask_.cancel();
    if (!owner_) return;
    const bool key = owner_->isKey();
    // Dragging the shown window away from its edge ends the tuck.
    if (edge_ && key && owner_->mouseButtonPressed()) reset();
    if (owner_->edgeTuckEnabled() && key && !edge_) moveTask_ = timers_.schedule(kSettleTime, [this] { settle(); });
}

void EdgeTuckController::settle() {
    // A button still held means the drag goes on; letting go later does not check again.
    if (!owner_ || owner_->mouseButtonPressed()) return;
    auto visible = owner_->visibleFrame();
    if (!visible) return;
    if (auto edge = dockEdge(owner_->frame(), *visible, kDockTolerance)) tuck(*edge);
}

void EdgeTuckController::startTimer() {
    // The task belongs to this controller: destroying or resetting it stops the poll.
    timer_ = timers_.schedule(kPollInterval, [this] {
        startTimer();
        tick();
    });
}

void EdgeTuckController::tick() {
    if (!owner_ || !edge_) return;
    const ScreenPoint mouse = owner_->mouseLocation();
    const bool onHandle = handleFrame_ && contains(*handleFrame_, mouse);
    if (!revealed_) {
        if (onHandle) reveal();
        return;
    }
    if (owner_->isKey() || owner_->hasSheet() || onHandle || contains(grown(owner_->frame(), kRevealMargin), mouse)) {
        outsideSince_.reset();
        return;
    }
    const Date now = clock_.now();
    if (!outsideSince_) {
        outsideSince_ = now;
    } else if (now.secondsSince(*outsideSince_) > kOutsideSeconds) {
        tuck(*edge_);
    }
}

}  // namespace quenlith
