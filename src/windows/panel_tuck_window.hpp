#pragma once

#include <functional>
#include <memory>

#include "model/edge_tuck_controller.hpp"

namespace quenlith {

class BrowserViewController;
class EdgeHandleView;
class FloatingBrowserPanel;

// What tucking asks of the browser window it tucks, besides its floating window and browser view.
struct TuckedWindowActions {
    // Shows the window (BrowserWindowController::present).
    std::function<void(bool activate, bool keepTuck, bool wake)> present;
    // The window went on or off the screen.
    std::function<void()> visibilityChanged;
};

// Edge tucking of one browser window on the desktop: its floating window, the pointer, and the
// handle window, made on the first tuck and kept (hidden) afterwards.
class PanelTuckWindow final : public EdgeTuckWindow {
public:
    PanelTuckWindow(FloatingBrowserPanel& panel, BrowserViewController& browser, TuckedWindowActions actions);
    ~PanelTuckWindow() override;

    // Where the handle's enter and press go; set once by the owner.
    void setController(EdgeTuckController& controller) { controller_ = &controller; }

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
    FloatingBrowserPanel& panel_;
    BrowserViewController& browser_;
    TuckedWindowActions actions_;
    EdgeTuckController* controller_ = nullptr;
    std::unique_ptr<EdgeHandleView> handle_;
};

}  // namespace quenlith
