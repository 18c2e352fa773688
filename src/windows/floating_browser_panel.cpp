#include "windows/floating_browser_panel.hpp"

#include <algorithm>
#include <cmath>

#include <glibmm/main.h>

#include "ui/kept_above.hpp"
#include "ui/window_placement.hpp"
#include "windows/screen_layout.hpp"

namespace quenlith {
namespace {

constexpr int kInitialWidth = 480;
constexpr int kInitialHeight = 720;

int roundedLength(double value) {
    return std::max(1, static_cast<int>(std::lround(value)));
}

// The website keeps its opacity within 0.35 to 1; anything else that reaches the window is
// brought back into that range rather than making the window invisible.
double usableOpacity(double opacity) {
    if (!std::isfinite(opacity)) return 1.0;
    return std::clamp(opacity, 0.35, 1.0);
}

}  // namespace

FloatingBrowserPanel::FloatingBrowserPanel(bool followAcrossSpaces) {
    set_title("Quenlith");
    headerBar_.set_title("Quenlith");
    headerBar_.set_show_close_button(true);
    // No maximise button: its room goes to the address (double-clicking the title bar maximises).
    headerBar_.set_decoration_layout(":minimize,close");
    headerBar_.show();
    set_titlebar(headerBar_);
    set_default_size(kInitialWidth, kInitialHeight);
    set_size_request(static_cast<int>(kPanelMinimumWidth), static_cast<int>(kPanelMinimumHeight));
    set_skip_taskbar_hint(true);

    alwaysOnTop_ = true;
    keepAbove(*this, KeptAbove::always);
    onAllWorkspaces_ = followAcrossSpaces;
    if (followAcrossSpaces) stick();

    signal_map_event().connect(sigc::mem_fun(*this, &FloatingBrowserPanel::onMapEvent), false);
    signal_unmap_event().connect(
        [this](GdkEventAny*) {
            mappedOnScreen_ = false;
            return false;
        },
        false);
    signal_configure_event().connect(sigc::mem_fun(*this, &FloatingBrowserPanel::onConfigureEvent), false);
    signal_window_state_event().connect(
        [this](GdkEventWindowState* event) {
            if (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
                minimized_ = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
                showTaskbarHint();
            }
            constexpr auto filling = GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_FULLSCREEN;
            if ((event->changed_mask & filling) && (event->new_window_state & filling))
                normalFrames_.settleOnFilling(screens());
            scheduleFrameCheck();
            return false;
        },
        false);
    // GTK sets the input shape of a self-decorated window again on every size allocation.
    signal_size_allocate().connect(
        [this](Gtk::Allocation&) {
            if (ignoresMouseEvents_) setIgnoresMouseEvents(true);
        },
        true);
}

FloatingBrowserPanel::~FloatingBrowserPanel() {
    frameCheck_.disconnect();
    compactRestore_.disconnect();
}

void FloatingBrowserPanel::setSkipsTaskbar(bool skips) {
    skipsTaskbar_ = skips;
    showTaskbarHint();
}

void FloatingBrowserPanel::showTaskbarHint() {
    // A minimised window stays in the taskbar (and Alt+Tab) until restored: otherwise nothing but
    // the launcher could bring it back.
    const bool skip = skipsTaskbar_ && !minimized_;
    if (get_skip_taskbar_hint() != skip) set_skip_taskbar_hint(skip);
}

void FloatingBrowserPanel::apply(const WebAppProfile& profile) {
    alwaysOnTop_ = profile.alwaysOnTop;
    // Through the record the windows it asks for read: GDK's state misses a change while mapped.
    keepAbove(*this, alwaysOnTop_ ? KeptAbove::always : KeptAbove::no);

    opacity_ = usableOpacity(profile.opacity);
    if (mappedOnScreen_) showOpacity();  // otherwise the map handler sets it

    onAllWorkspaces_ = profile.followAcrossSpaces;
    if (onAllWorkspaces_)
        stick();
    else
        unstick();

    if (profile.compactMode != compact_) {
        Rect before = frame();
        compact_ = profile.compactMode;
        // Without decoration GTK hides the header bar as well.
        set_decorated(!compact_);
        if (mappedOnScreen_) {
            // The decoration change resizes the window once GTK has laid it out again; put the frame
            // back after that.
            compactRestore_.disconnect();
            compactRestore_ = Glib::signal_idle().connect(
                [this, before] {
                    lastFrame_ = before;
                    if (mappedOnScreen_) requestFrame(before);
                    return false;
                },
                Glib::PRIORITY_LOW);
        }
    }
}

void FloatingBrowserPanel::applyFrame(const std::optional<CodableRect>& remembered, double defaultWidth,
                                      double defaultHeight) {
    setFrame(initialFrame(remembered, defaultWidth, defaultHeight, screens()));
}

void FloatingBrowserPanel::clampToScreen() {
    Rect current = frame();
    auto clamped = clampedFrame(current, screens());
    if (clamped && *clamped != current) setFrame(*clamped);
}

Rect FloatingBrowserPanel::frame() const {
    if (mappedOnScreen_)
        if (auto current = placement()) return visibleFrame(*current);
    return lastFrame_.value_or(Rect{0, 0, double(kInitialWidth), double(kInitialHeight)});
}

void FloatingBrowserPanel::setFrame(const Rect& frame) {
    lastFrame_ = frame;
    if (mappedOnScreen_) {
        requestFrame(frame);
        return;
    }
    // Before the window is on screen, apply the exact frame once it is mapped and its decoration is
    // known.
    pendingFrame_ = frame;
    // GTK takes a size given while the window is shown as the size of its content, adds its title
    // bar and borders, and sends it with its next layout, which may come after the map handler's
    // exact frame: a window arranged while its map is under way grew by its decoration. So GTK is
    // asked only before it is shown, for about that place (the window manager then does not choose
    // one).
    if (get_visible()) return;
    move(static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(frame.y)));
    resize(roundedLength(frame.width), roundedLength(frame.height));
}

CodableRect FloatingBrowserPanel::savedFrame() const {
    // A maximised or full-screen window is remembered by the frame it returns to.
    auto normal = normalFrames_.normalFrame();
    return codableRect(isMaximizedOrFullscreen() && normal ? *normal : frame(), screens());
}

bool FloatingBrowserPanel::isMaximizedOrFullscreen() const {
    auto window = const_cast<FloatingBrowserPanel*>(this)->get_window();
    if (!window) return false;
    return (window->get_state() & (Gdk::WINDOW_STATE_MAXIMIZED | Gdk::WINDOW_STATE_FULLSCREEN |
                                   Gdk::WINDOW_STATE_TILED)) != 0;
}

ScreenLayout FloatingBrowserPanel::screens() const {
    return screenLayout(const_cast<FloatingBrowserPanel*>(this)->get_display());
}

std::optional<WindowPlacement> FloatingBrowserPanel::placement() const {
    return windowPlacement(const_cast<FloatingBrowserPanel*>(this)->get_window());
}

void FloatingBrowserPanel::requestFrame(const Rect& frame) {
    requestVisibleFrame(get_window(), frame);
}

void FloatingBrowserPanel::showOpacity() {
    // Straight on the X window: GTK's own widget opacity keeps only 8 bits and, for a window with
    // an alpha channel, fades the drawing instead of telling the window manager.
    if (auto window = get_window()) window->set_opacity(opacity_);
}

bool FloatingBrowserPanel::onMapEvent(GdkEventAny*) {
    mappedOnScreen_ = true;
    // Opacity given before the window is mapped is lost.
    showOpacity();
    if (ignoresMouseEvents_) setIgnoresMouseEvents(true);
    // The first frame, or the last one when the window comes back after being hidden: window
    // managers may place a re-mapped window anew.
    auto target = pendingFrame_ ? pendingFrame_ : lastFrame_;
    pendingFrame_.reset();
    if (target) {
        auto current = placement();
        if (!current || visibleFrame(*current) != *target) requestFrame(*target);
    }
    return false;
}

bool FloatingBrowserPanel::onConfigureEvent(GdkEventConfigure*) {
    scheduleFrameCheck();
    return false;
}

void FloatingBrowserPanel::scheduleFrameCheck() {
    if (frameCheck_.connected()) return;
    frameCheck_ = Glib::signal_idle().connect([this] {
        if (mappedOnScreen_ && !pendingFrame_) {
            if (auto current = placement()) {
                Rect now = visibleFrame(*current);
                lastFrame_ = now;
                // Only a normal frame is the one to remember; a maximised one is reported but not kept.
                if (!isMaximizedOrFullscreen()) normalFrames_.record(now);
                if (!reportedFrame_ || *reportedFrame_ != now) {
                    reportedFrame_ = now;
                    frameChanged_.emit();
                }
            }
        }
        return false;
    });
}

void FloatingBrowserPanel::setIgnoresMouseEvents(bool ignores) {
    ignoresMouseEvents_ = ignores;
    auto window = get_window();
    if (!window) return;
    if (!ignores) {
        gdk_window_input_shape_combine_region(window->gobj(), nullptr, 0, 0);
        return;
    }
    cairo_region_t* empty = cairo_region_create();
    gdk_window_input_shape_combine_region(window->gobj(), empty, 0, 0);
    cairo_region_destroy(empty);
}

}  // namespace quenlith
