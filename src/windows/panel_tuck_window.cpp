#include "windows/panel_tuck_window.hpp"

#include <gdkmm/display.h>
#include <gdkmm/seat.h>

#include "browser/view/browser_view_controller.hpp"
#include "model/kept_call.hpp"
#include "windows/edge_handle_view.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

PanelTuckWindow::PanelTuckWindow(FloatingBrowserPanel& panel, BrowserViewController& browser,
                                 TuckedWindowActions actions)
    : panel_(panel), browser_(browser), actions_(std::move(actions)) {}

PanelTuckWindow::~PanelTuckWindow() {
    if (handle_) handle_->hide();
}

Rect PanelTuckWindow::frame() const {
    return panel_.frame();
}

std::optional<Rect> PanelTuckWindow::visibleFrame() const {
    const ScreenLayout layout = panel_.screens();
    std::vector<Rect> frames;
    for (const auto& screen : layout.screens) frames.push_back(screen.frame);
    auto index = bestScreenIndex(frame(), frames);
    if (!index) index = layout.mainScreen;
    if (!index) return std::nullopt;
    return layout.screens[*index].visibleFrame;
}

bool PanelTuckWindow::isKey() const {
    return panel_.property_is_active().get_value();
}

bool PanelTuckWindow::hasSheet() const {
    const Gtk::Window* panel = &panel_;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        // Dialogs only: tooltips and menus are transient for the window as well.
        if (window != panel && window->get_window_type() == Gtk::WINDOW_TOPLEVEL && window->get_transient_for() == panel &&
            window->get_visible())
            return true;
    return false;
}

bool PanelTuckWindow::edgeTuckEnabled() const {
    return browser_.profile().edgeTuckEnabled.value_or(false);
}

std::string PanelTuckWindow::displayTitle() const {
    return browser_.profile().displayTitle();
}

ScreenPoint PanelTuckWindow::mouseLocation() const {
    auto display = Gdk::Display::get_default();
    auto seat = display ? display->get_default_seat() : Glib::RefPtr<Gdk::Seat>();
    auto pointer = seat ? seat->get_pointer() : Glib::RefPtr<Gdk::Device>();
    if (!pointer) return {};
    int x = 0, y = 0;
    pointer->get_position(x, y);
    return ScreenPoint{double(x), double(y)};
}

bool PanelTuckWindow::mouseButtonPressed() const {
    auto display = Gdk::Display::get_default();
    auto seat = display ? display->get_default_seat() : Glib::RefPtr<Gdk::Seat>();
    auto pointer = seat ? seat->get_pointer() : Glib::RefPtr<Gdk::Device>();
    if (!pointer) return false;
    GdkModifierType mask{};
    gdk_window_get_device_position(gdk_get_default_root_window(), pointer->gobj(), nullptr, nullptr, &mask);
    return (mask & (GDK_BUTTON1_MASK | GDK_BUTTON2_MASK | GDK_BUTTON3_MASK | GDK_BUTTON4_MASK | GDK_BUTTON5_MASK)) != 0;
}

void PanelTuckWindow::orderOut() {
    panel_.hide();
    browser_.setPresented(false, false);
}

void PanelTuckWindow::showHandle(const Rect& frame, const std::string& label) {
    if (!handle_) {
        // The handle lives inside this object, which the window's controller owns: both go together.
        handle_ = std::make_unique<EdgeHandleView>(
            [this] {
                if (controller_) controller_->reveal();
            },
            [this] {
                if (controller_) controller_->click();
            });
    }
    handle_->place(frame, label);
}

void PanelTuckWindow::hideHandle() {
    if (handle_) handle_->hide();
}

void PanelTuckWindow::present(bool activate, bool keepTuck, bool wake) {
    callKept(actions_.present, activate, keepTuck, wake);
}

void PanelTuckWindow::visibilityChanged() {
    callKept(actions_.visibilityChanged);
}

}  // namespace quenlith
