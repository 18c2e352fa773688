#include <gtest/gtest.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "ui/told_while_shown.hpp"

namespace quenlith {
namespace {

// A failure counts as told while the view shows it, not while it is hidden nor once it is gone;
// a success tells nothing.
TEST(ToldWhileShown, AFailureIsToldOnlyWhileTheViewIsOnScreen) {
    Gtk::Window window;
    auto* view = new Gtk::Label("Error");
    window.add(*view);
    auto report = toldWhileShown(*view);
    EXPECT_FALSE(report("full")) << "not shown yet";
    window.show_all();
    ASSERT_TRUE(test::spinUntil([&] { return view->get_mapped(); }));
    EXPECT_TRUE(report("full"));
    EXPECT_FALSE(report(std::nullopt));
    window.hide();
    EXPECT_FALSE(report("full")) << "hidden";
    window.show_all();
    ASSERT_TRUE(test::spinUntil([&] { return view->get_mapped(); }));
    window.remove();
    delete view;
    EXPECT_FALSE(report("full")) << "gone";
}

}  // namespace
}  // namespace quenlith
