// Menus a screen reader chooses from without opening them, and menus it opens without an event.
#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/window.h>

#include "support/accessibility_walk.hpp"
#include "support/main_loop.hpp"
#include "support/toolkit_warnings.hpp"
#include "ui/closed_menus.hpp"
#include "ui/menu_popup.hpp"

namespace quenlith {
namespace {

// A menu button's menu and a drop-down's, neither opened, each item chosen through its action as a
// screen reader chooses it: the item runs, and the toolkit logs nothing.
TEST(ClosedMenus, AnItemChosenByAScreenReaderFromAClosedMenuRunsAndLogsNothing) {
    letReadersChooseFromClosedMenus();
    letReadersChooseFromClosedMenus();  // once is enough
    Gtk::Window window;
    Gtk::Box box(Gtk::ORIENTATION_VERTICAL);
    Gtk::MenuButton button;
    button.set_label("Collections");
    Gtk::Menu menu;
    Gtk::MenuItem quotes("Quotes");
    int chosen = 0;
    quotes.signal_activate().connect([&] { ++chosen; });
    menu.append(quotes);
    menu.show_all();
    button.set_popup(menu);
    Gtk::ComboBoxText dropDown;
    dropDown.append("Light");
    dropDown.append("Dark");
    dropDown.set_active(0);
    box.pack_start(button);
    box.pack_start(dropDown);
    window.add(box);
    window.show_all();
    ASSERT_TRUE(test::spinUntil([&] { return window.get_mapped(); }));

    const struct {
        Gtk::Widget* control;
        const char* item;
        std::function<bool()> ran;
    } rows[] = {{&button, "Quotes", [&] { return chosen == 1; }},
                {&dropDown, "Dark", [&] { return dropDown.get_active_text() == "Dark"; }}};
    for (const auto& [control, item, ran] : rows) {
        SCOPED_TRACE(item);
        const int warnings = test::toolkitWarningCount();
        AtkObject* found = test::accessibleNamed(control->get_accessible()->gobj(), item);
        ASSERT_TRUE(found && ATK_IS_ACTION(found));
        EXPECT_TRUE(atk_action_do_action(ATK_ACTION(found), 0));
        EXPECT_TRUE(test::spinUntil(ran));
        EXPECT_EQ(test::toolkitWarningCount(), warnings);
    }
}

// A menu opened with no input being handled (a screen reader's action on a list's cell) opens
// below the area it is given, and the toolkit logs nothing.
TEST(MenuPopup, OpensBelowItsAreaWithoutAnInputEvent) {
    Gtk::Window window;
    window.set_default_size(300, 200);
    window.show();
    ASSERT_TRUE(test::spinUntil([&] { return window.get_mapped(); }));
    Gtk::Menu menu;
    Gtk::MenuItem item("Edit");
    menu.append(item);
    menu.show_all();
    menu.attach_to_widget(window);
    const int warnings = test::toolkitWarningCount();
    ASSERT_EQ(gtk_get_current_event(), nullptr);
    popupMenuBelow(menu, window.get_window(), Gdk::Rectangle(40, 50, 20, 10));
    ASSERT_TRUE(test::spinUntil([&] { return menu.get_mapped(); }));
    EXPECT_EQ(test::toolkitWarningCount(), warnings);
    int x = 0, y = 0, originX = 0, originY = 0;
    menu.get_toplevel()->get_window()->get_origin(x, y);
    window.get_window()->get_origin(originX, originY);
    EXPECT_EQ(x, originX + 40) << "aligned with the area";
    EXPECT_GE(y, originY + 60) << "below it";
    menu.popdown();
}

}  // namespace
}  // namespace quenlith
