#pragma once

// Reads a window as a screen reader does, through the accessible objects GTK gives its widgets,
// and its text colours as the theme gives them.

#include <string>
#include <vector>

#include <atk/atk.h>
#include <gdkmm/rgba.h>
#include <gtkmm/widget.h>

namespace quenlith::test {

// What a walk of the accessible objects under `root` finds wrong, one line each: a showing control
// that takes the focus (or a drop-down, or a scrolled pane around text alone) without a name, a
// drop-down named by the value it shows, two controls with one name, a tab list without a name, a
// label that takes the focus, an object named by its icon's file or with the invisible marks that
// isolate a name on screen, a text (a label's, a list cell's) or a window title holding them.
std::vector<std::string> accessibilityProblems(Gtk::Widget& root);

// The first accessible object under `object` named `name`, in tree order, as a screen reader lists
// them (closed menus' items and a list's cells among them), or nullptr.
AtkObject* accessibleNamed(AtkObject* object, const std::string& name);

// The accessible names of the showing controls under `root`, in tree order.
std::vector<std::string> accessibleControlNames(Gtk::Widget& root);

// Listens, while it lives, to the changes of every accessible object as the accessibility bridge
// does for a screen reader: each change reads the object's name.
class AccessibilityListener {
public:
    AccessibilityListener();
    ~AccessibilityListener();
    AccessibilityListener(const AccessibilityListener&) = delete;
    AccessibilityListener& operator=(const AccessibilityListener&) = delete;

private:
    unsigned properties_ = 0;
    unsigned states_ = 0;
};

// The contrast ratio of two opaque colours, 1 to 21.
double contrastRatio(const Gdk::RGBA& one, const Gdk::RGBA& other);

struct TextContrast {
    std::string text;
    double ratio = 0;
};
// The contrast of every drawn label of a control that is on under `root` against the backgrounds behind it,
// from the colours, background colours and opacities the style gives each widget on the way down from the
// window.
std::vector<TextContrast> labelContrasts(Gtk::Widget& root);

}  // namespace quenlith::test
