// How the shared form pieces read to assistive technologies and take the keyboard.
#include <atkmm/object.h>
#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/window.h>

#include "ui/form_rows.hpp"

namespace quenlith {
namespace {

std::string nameOf(Gtk::Widget& widget) {
    return widget.get_accessible()->get_name();
}

// Texts holding bidirectional controls (a page's title may) are read without them however the
// control is named, and a label and a window title show them so too.
TEST(FormRows, NamesAreReadWithoutTheMarksThatIsolateANameOnScreen) {
    const std::string shown = "Close \u2068\u202EMail\u2069";
    Gtk::Button named, inRow;
    nameControl(named, shown);
    nameInRow(inRow, "Edit", "\u2068Mail\u2069");
    Gtk::Label label, labelled;
    showText(label, shown);
    Gtk::Window window;
    titleWindow(window, shown);
    Gtk::Entry field, rowField;
    titleByPlaceholder(field, "Title");
    labelled.set_text(shown);
    labelControl(labelled, rowField);
    const struct {
        const char* what;
        Gtk::Widget& widget;
        std::string read;
    } cases[] = {
        {"a named control", named, "Close Mail"},    {"a control of a row", inRow, "Edit, Mail"},
        {"a label", label, "Close Mail"},            {"a window", window, "Close Mail"},
        {"a field titled by its placeholder", field, "Title"}, {"a field beside its label", rowField, "Close Mail"},
    };
    for (const auto& row : cases) EXPECT_EQ(nameOf(row.widget), row.read) << row.what;
    EXPECT_EQ(label.get_text(), "Close Mail");
    EXPECT_EQ(window.get_title(), "Close Mail");
    EXPECT_EQ(field.get_placeholder_text(), "Title");
}

TEST(FormRows, ACopyableLabelIsPassedByTheKeyboard) {
    Gtk::Window window;
    Gtk::Label text("127.0.0.1");
    makeCopyable(text);
    window.add(text);
    window.show_all();
    // Asked to take the focus on the keyboard's way through the window, it declines.
    EXPECT_FALSE(text.child_focus(Gtk::DIR_TAB_FORWARD));
    EXPECT_FALSE(text.is_focus());
    EXPECT_TRUE(text.get_selectable());
}

// The search field's clear button reads as what it does, each time it comes back with text; the
// magnifying glass before it keeps its own name.
TEST(FormRows, TheClearButtonOfASearchFieldReadsAsItsName) {
    Gtk::SearchEntry field;
    nameClearIcon(field, "Clear Search");
    auto iconNames = [&] {
        AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(field.gobj()));
        std::string names;
        for (int index = 0; index < atk_object_get_n_accessible_children(accessible); ++index) {
            AtkObject* child = atk_object_ref_accessible_child(accessible, index);
            names += std::string(names.empty() ? "" : ", ") + atk_object_get_name(child);
            g_object_unref(child);
        }
        return names;
    };
    for (const char* text : {"mail", "", "news"}) {
        field.set_text(text);
        EXPECT_EQ(iconNames(), *text ? "edit-find-symbolic, Clear Search" : "edit-find-symbolic") << text;
    }
}

}  // namespace
}  // namespace quenlith
