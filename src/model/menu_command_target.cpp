#include "model/menu_command_target.hpp"

namespace quenlith {

void MenuCommandTarget::opened(std::optional<Uuid> browserWindow, WindowKey window) {
    // A menu opened before the last one's turn was over is the one in use.
    settling_.cancel();
    origin_ = Origin{browserWindow, window};
}

void MenuCommandTarget::closed() {
    if (!origin_) return;
    settling_ = scheduler_.scheduleIdle([this] { origin_.reset(); });
}

void MenuCommandTarget::keyPressed() { origin_.reset(); }

std::optional<Uuid> MenuCommandTarget::target(const std::optional<Uuid>& keyWindow,
                                              const std::optional<Uuid>& lastActive) const {
    if (!origin_) return keyWindow;
    if (origin_->browserWindow) return origin_->browserWindow;
    return keyWindow ? keyWindow : lastActive;
}

MenuCommandTarget::WindowKey MenuCommandTarget::editingWindow(WindowKey keyWindow) const {
    return origin_ ? origin_->window : keyWindow;
}

bool MenuCommandTarget::isAway(const Uuid& browserWindow, const std::optional<Uuid>& keyWindow) const {
    return (origin_ ? origin_->browserWindow : keyWindow) != browserWindow;
}

}  // namespace quenlith
