#include "model/menu_command_target.hpp"

namespace quenlith {

void MenuCommandTarget::opened(std::optional<Uuid> browserWindow) {
    // A menu opened before the last one's turn was over is the one in use.
    settling_.cancel();
    origin_ = browserWindow;
}

void MenuCommandTarget::closed() {
    if (!origin_) return;
    settling_ = scheduler_.scheduleIdle([this] { origin_.reset(); });
}

void MenuCommandTarget::keyPressed() { origin_.reset(); }

std::optional<Uuid> MenuCommandTarget::target(const std::optional<Uuid>& keyWindow,
                                              const std::optional<Uuid>& lastActive) const {
    if (!origin_) return keyWindow;
    if (*origin_) return *origin_;
    return keyWindow ? keyWindow : lastActive;
}

}  // namespace quenlith
