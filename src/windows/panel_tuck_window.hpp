#pragma once

#include <memory>

#include "model/edge_tuck_controller.hpp"

namespace quenlith {

class BrowserWindowController;
class EdgeHandleView;

// Edge tucking of one browser window on the desktop: its floating window, the pointer, and the
// handle window, made on the first tuck and kept (hidden) afterwards.
class PanelTuckWindow final : public EdgeTuckWindow {
public:
    explicit PanelTuckWindow(BrowserWindowController& owner);
    ~PanelTuckWindow() override;

    // Where the handle's enter and press go; set once by the owner.
    EdgeTuckController* controller = nullptr;

    Rect frame() const override;
    std::optional<Rect> visibleFrame() const override;
    bool isKey() const override;
    bool hasSheet() const override;
    bool edgeTuckEnabled() const override;
    std::string displayTitle() const override;
    ScreenPoint mouseLocation() const override;
    bool mouseButtonPressed() const override;
    void orderOut() override;
    void showHandle(const Rect& frame, const std::string& label) override;
    void hideHandle() override;
    void present(bool activate, bool keepTuck, bool wake) override;
    void visibilityChanged() override;

private:
    BrowserWindowController& owner_;
    std::unique_ptr<EdgeHandleView> handle_;
};

}  // namespace quenlith
