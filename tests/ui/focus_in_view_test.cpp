#include <gtest/gtest.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>

#include <memory>
#include <vector>

#include "support/main_loop.hpp"
#include "ui/focus_in_view.hpp"

namespace quenlith {
namespace {

// A control that takes the focus out of sight, below or above, comes into sight with the margin
// around it, its focus ring included; one in sight stays where it is.
TEST(FocusInView, AFocusedControlIsScrolledIntoSightWithTheMarginAroundIt) {
    Gtk::Window window;
    window.set_default_size(200, 200);
    Gtk::ScrolledWindow scroller;
    scroller.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    Gtk::Box form(Gtk::ORIENTATION_VERTICAL, 4);
    std::vector<std::unique_ptr<Gtk::Button>> buttons;
    for (int index = 0; index < 30; ++index) {
        buttons.push_back(std::make_unique<Gtk::Button>("Row"));
        buttons.back()->set_size_request(-1, 36);
        form.pack_start(*buttons.back(), Gtk::PACK_SHRINK);
    }
    // The content's own margin is part of what scrolls.
    form.property_margin() = 16;
    scroller.add(form);
    keepFocusInView(scroller);
    window.add(scroller);
    window.show_all();
    auto vertical = scroller.get_vadjustment();
    ASSERT_TRUE(test::spinUntil([&] { return vertical->get_upper() > 1000 && vertical->get_page_size() > 100; }));

    const struct {
        int row;
        bool scrolls;
    } cases[] = {{20, true}, {18, false}, {2, true}, {27, true}};
    for (const auto& [row, scrolls] : cases) {
        const double before = vertical->get_value();
        buttons[row]->grab_focus();
        EXPECT_EQ(vertical->get_value() != before, scrolls) << row;
        int x = 0, y = 0;
        ASSERT_TRUE(buttons[row]->translate_coordinates(scroller, 0, 0, x, y));
        EXPECT_GE(y, kFocusMargin) << row;
        EXPECT_LE(y + 36 + kFocusMargin, scroller.get_allocated_height()) << row;
    }
}

}  // namespace
}  // namespace quenlith
