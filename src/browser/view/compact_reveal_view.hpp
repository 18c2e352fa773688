#pragma once

#include <functional>
#include <utility>

#include <gtkmm/eventbox.h>

namespace quenlith {

// The thin strip across the top of a compact window: the pointer entering it brings the hidden
// chrome back, and pressing on it drags the window (a compact window has no title bar).
class CompactRevealView : public Gtk::EventBox {
public:
    CompactRevealView();

    // Told true when the pointer enters, false when it leaves.
    void setOnHover(std::function<void(bool)> onHover) { onHover_ = std::move(onHover); }
    // Reports the pointer entering (true) or leaving (false), as the crossing events do.
    void reportHover(bool inside);

protected:
    bool on_enter_notify_event(GdkEventCrossing* event) override;
    bool on_leave_notify_event(GdkEventCrossing* event) override;
    bool on_button_press_event(GdkEventButton* event) override;

private:
    std::function<void(bool)> onHover_;
};

}  // namespace quenlith
