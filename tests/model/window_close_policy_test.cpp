#include "model/window_close_policy.hpp"

#include <gtest/gtest.h>

namespace quenlith {
namespace {

TEST(WindowClosePolicy, LauncherOpensAfterACloseOnlyWhenNothingIsLeftToComeBackBy) {
    using enum WindowPresence;
    struct Case {
        const char* name;
        bool tray;
        bool launcherShown;
        std::vector<WindowPresence> windows;
        bool closedComesBackByLink;
        bool opens;
    };
    const Case cases[] = {
        {"no tray, the last window hidden", false, false, {hidden}, false, true},
        {"no tray, every window hidden", false, false, {hidden, hidden, hidden}, false, true},
        {"no tray, the last window released", false, false, {}, false, true},
        {"no tray, another window shown", false, false, {hidden, shown}, false, false},
        {"no tray, another window minimised in the taskbar", false, false, {minimized, hidden}, false, false},
        {"no tray, the launcher already open", false, true, {hidden}, false, false},
        {"a tray, the last window hidden", true, false, {hidden}, false, false},
        {"a tray, the last window released", true, false, {}, false, false},
        // Its linked application is in front and brings it back; a launcher would cover that one.
        {"no tray, the last window hidden, shown by a link", false, false, {hidden}, true, false},
        {"no tray, the last window released, shown by a link", false, false, {}, true, false},
    };
    for (const Case& row : cases)
        EXPECT_EQ(
            opensLauncherAfterClose(row.tray, row.launcherShown, row.windows, row.closedComesBackByLink),
            row.opens)
            << row.name;
}

}  // namespace
}  // namespace quenlith
