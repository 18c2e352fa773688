#pragma once

#include <string>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/frame.h>
#include <gtkmm/label.h>

namespace quenlith {

// Small pieces the forms of the editor and the settings are built of.

// An explanation under a control: secondary colour, smaller, wrapping.
void styleCaption(Gtk::Label& label);
void styleHeadline(Gtk::Label& label);
// A message that wraps within the width its window gives it, breaking a word longer than a line,
// instead of widening a window of fixed size.
void wrapWithinWidth(Gtk::Label& label);
// A managed caption label with `text` shown as given.
Gtk::Label* makeCaption(const std::string& text);
// A titled section: the title as the frame's label, the content with a margin.
Gtk::Frame* makeSection(const std::string& title, Gtk::Widget& content);
// A switch row: a managed check button with the label, reading and writing a Boolean.
Gtk::CheckButton* makeSwitch(const std::string& label);

}  // namespace quenlith

namespace quenlith {
// A managed row of a label and a control that takes the rest of the width.
Gtk::Box* makeLabeledRow(const std::string& label, Gtk::Widget& control);
}  // namespace quenlith

namespace quenlith {
// Shows a widget kept out of show_all() (no-show-all) together with its own children, or hides
// it. Its children that are kept out themselves stay as they are.
void showWhen(Gtk::Widget& widget, bool visible);
}  // namespace quenlith
