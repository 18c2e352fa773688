// The window manager's active window as this application hears of it: a window that was in front
// only until the main loop turned still counts, as when a person goes to another application and
// back while ours is busy.
#include "ui/active_window.hpp"

#include <memory>
#include <vector>

#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "support/other_x_client.hpp"

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>

namespace quenlith {
namespace {

using test::spinUntil;

// Counts the display's reports of a change of the active window, read after the watch's own filter.
class ActiveWindowReports {
public:
    explicit ActiveWindowReports(GdkDisplay* display) {
        Display* x = GDK_DISPLAY_XDISPLAY(display);
        root_ = DefaultRootWindow(x);
        atom_ = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
        gdk_window_add_filter(nullptr, &ActiveWindowReports::filter, this);
    }
    ~ActiveWindowReports() { gdk_window_remove_filter(nullptr, &ActiveWindowReports::filter, this); }
    int count() const { return count_; }

private:
    static GdkFilterReturn filter(GdkXEvent* xEvent, GdkEvent*, gpointer data) {
        auto* self = static_cast<ActiveWindowReports*>(data);
        const auto* event = static_cast<const XEvent*>(xEvent);
        if (event->type == PropertyNotify && event->xproperty.window == self->root_ &&
            event->xproperty.atom == self->atom_)
            ++self->count_;
        return GDK_FILTER_CONTINUE;
    }
    ::Window root_ = None;
    Atom atom_ = None;
    int count_ = 0;
};

// Each window that came to the front while the main loop was busy is seen, in turn, once for each
// time it came, whatever is in front by the time the main loop turns; a window told again while in
// front is no second change, and what was seen goes with the report it was told in.
TEST(ActiveWindowWatch, SeesEveryWindowThatCameToTheFrontWhileTheMainLoopWasBusy) {
    test::OtherXClient other;
    Gtk::Window ours;
    ours.show();
    ASSERT_TRUE(spinUntil([&] { return ours.get_realized(); }));
    const unsigned long own = test::xWindowOf(ours);
    const unsigned long another = other.window();

    std::vector<std::vector<unsigned long>> told;
    std::unique_ptr<ActiveWindowWatch> watch;
    watch = ActiveWindowWatch::create([&] { told.push_back(watch->seen()); });
    ASSERT_TRUE(watch);
    ActiveWindowReports reports(watch->display());

    struct Case {
        const char* name;
        std::vector<unsigned long> turns;
        std::vector<unsigned long> seen;
    };
    const Case cases[] = {
        {"another application", {another}, {another}},
        {"another application for a moment", {another, own}, {another, own}},
        {"none for a moment", {0, own}, {0, own}},
        {"there and back twice", {another, own, another, own}, {another, own, another, own}},
        {"told again while in front", {another, another, own}, {another, own}},
    };
    // Each change of the property is one report of the display's, heard in order.
    int changes = 0;
    auto turnTo = [&](unsigned long window) {
        other.activate(window);
        ++changes;
        return spinUntil([&] { return reports.count() >= changes; });
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        told.clear();
        ASSERT_TRUE(turnTo(own));
        ASSERT_TRUE(spinUntil([&] { return !told.empty(); }));
        told.clear();

        // The main loop is busy: the display's reports are read as they come, the idle turns wait.
        auto busy = Glib::signal_idle().connect([] { return true; }, Glib::PRIORITY_DEFAULT);
        for (unsigned long window : c.turns) ASSERT_TRUE(turnTo(window));
        EXPECT_TRUE(told.empty()) << "told before the main loop was free";
        busy.disconnect();
        ASSERT_TRUE(spinUntil([&] { return !told.empty(); }));
        EXPECT_EQ(told.front(), c.seen);
        EXPECT_EQ(told.size(), 1u);
    }
}

}  // namespace
}  // namespace quenlith
