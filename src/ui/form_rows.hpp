#pragma once

#include <string>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/frame.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

namespace quenlith {

// Small pieces the forms of the editor and the settings are built of.

// An explanation under a control: secondary colour, smaller, wrapping.
void styleCaption(Gtk::Label& label);
// Secondary text: the theme's text colour, lighter, still readable at 4.5:1. The class it adds may
// be taken away and given back (an error shown in its place).
inline constexpr const char* kSecondaryTextClass = "quenlith-caption";
void styleSecondaryText(Gtk::Widget& widget);
// The button of a form's main action, its label readable at 4.5:1 on the theme's colour.
void styleSuggestedAction(Gtk::Widget& button);
// A link button whose text reads at 4.5:1 in light and dark themes.
// Lets the widget's "error" style class draw readable text (small text at 4.5:1 or more).
void readableErrorText(Gtk::Widget& widget);
void styleLink(Gtk::Widget& link);
void styleHeadline(Gtk::Label& label);
// A message that wraps within the width its window gives it, breaking a word longer than a line,
// instead of widening a window of fixed size.
void wrapWithinWidth(Gtk::Label& label);
// A name or title on one line that ends in "…" where the width it is given ends. It asks for no
// more than `characters` characters' width, so a long name widens neither its row nor its window.
void ellipsizeWithinWidth(Gtk::Label& label, int characters = 24);
// Lets the label's text be selected and copied with the mouse while the keyboard passes it by: a
// selectable label would otherwise take the focus as a control does, and a screen reader would
// stop at text that does nothing.
void makeCopyable(Gtk::Label& label);
// A managed caption label with `text` shown as given.
Gtk::Label* makeCaption(const std::string& text);
// A titled section: the title as the frame's label, the content with a margin.
Gtk::Frame* makeSection(const std::string& title, Gtk::Widget& content);
// A switch row: a managed check button with the label, reading and writing a Boolean.
Gtk::CheckButton* makeSwitch(const std::string& label);

}  // namespace quenlith

namespace quenlith {
// A managed row of a label and a control that takes the rest of the width, the control named by
// the label for assistive technologies.
Gtk::Box* makeLabeledRow(const std::string& label, Gtk::Widget& control);
// Names `control` by the visible `label` beside it: a labelled-by relation (the label's mnemonic
// widget) and the label's text as its accessible name, so a screen reader reads the label, and a
// drop-down is not named by the value it shows.
void labelControl(Gtk::Label& label, Gtk::Widget& control);
// Titles a text field that has no label beside it by its placeholder, and names it by the same
// title: assistive technologies do not read a placeholder.
void titleByPlaceholder(Gtk::Entry& field, const std::string& title);
// Names a search field's clear button (its secondary icon) `name`: assistive technologies read the
// icon's file name otherwise ("edit-clear-symbolic"). The name stays as the icon comes and goes
// with the field's text.
void nameClearIcon(Gtk::Entry& field, const std::string& name);
// Names a search field's magnifier (its primary icon) `name`, for the same reason.
void nameSearchIcon(Gtk::Entry& field, const std::string& name);
// Names a control that has no label of its own (a search field by what it searches, a repeated
// button by its row). Every name the application gives passes through here: bidirectional
// controls (withoutIsolation) are left out of it, as they have no sound, and a name of any length
// is cut as a name is shown.
void nameControl(Gtk::Widget& control, const std::string& name);
// Shows `text` in the label without bidirectional controls: what a screen reader reads of the
// label's text, in flat review or on a braille display, is what is drawn.
void showText(Gtk::Label& label, const std::string& text);
// Titles the window with `title` without bidirectional controls (scripts and window lists read the
// title as it is set), also where its header bar shows it.
void titleWindow(Gtk::Window& window, const std::string& title);
// Names a control that repeats on every row (or section) by what it does and which row it acts
// on ("Edit, Example"), so the repeated controls of one window differ.
void nameInRow(Gtk::Widget& control, const std::string& action, const std::string& row);
// The name nameInRow gives.
std::string nameInRow(const std::string& action, const std::string& row);
}  // namespace quenlith

namespace quenlith {
// Shows a widget kept out of show_all() (no-show-all) together with its own children, or hides
// it. Its children that are kept out themselves stay as they are.
void showWhen(Gtk::Widget& widget, bool visible);
}  // namespace quenlith
