#pragma once

// Whether a window shows all of its content: nothing drawn smaller than it needs, nothing clipped
// by an area that does not scroll, the window itself inside the work area of its screen.

#include <string>
#include <vector>

#include <gtkmm/widget.h>

namespace quenlith::test {

// What is cut off in the window of `root`, one line each (the widget's type, what it has and what
// it needs): a drawn widget given less than its minimum width, or than its minimum height at the
// width it has; a scrolled area without a scroll bar on a side where its content needs more than
// it shows; a text that gave way (shown by its parent, kept from drawing); the window larger than
// the work area of its screen.
std::vector<std::string> cutOffContent(Gtk::Widget& root);

// What keeps `widget` from being seen whole, one line each: a part of it outside the area one of
// its ancestors shows (the window's edge among them), a drawn widget laid over it by an overlay,
// and for every label in it a text cut short or drawn beyond that label; or that it is not drawn.
std::vector<std::string> hiddenParts(Gtk::Widget& widget);

// Puts the desktop's text scale in place (1.5: text half again as large) for its lifetime.
class TextScaleScope {
public:
    explicit TextScaleScope(double scale);
    ~TextScaleScope();
    TextScaleScope(const TextScaleScope&) = delete;
    TextScaleScope& operator=(const TextScaleScope&) = delete;

private:
    int saved_;
};

}  // namespace quenlith::test
