#pragma once

#include <functional>
#include <string>

#include <gtkmm/button.h>
#include <gtkmm/window.h>

#include "model/window_geometry.hpp"

namespace quenlith {

// The slim handle a tucked window leaves at the screen edge: a window the window manager does not
// manage (override-redirect), so it never takes the focus, holding one button that accessibility
// tools see as "Expand <title>". Entering it calls onEnter; a mouse press or the button's press
// action calls onClick.
class EdgeHandleView : public Gtk::Window {
public:
    EdgeHandleView(std::function<void()> onEnter, std::function<void()> onClick);
    ~EdgeHandleView() override;

    // Moves the handle to `frame` (root coordinates), names it and shows it.
    void place(const Rect& frame, const std::string& label);

private:
    std::function<void()> onEnter_;
    std::function<void()> onClick_;

    bool draw(const Cairo::RefPtr<Cairo::Context>& cr);

    Gtk::Button button_;
};

}  // namespace quenlith
