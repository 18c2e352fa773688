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
        bool opens;
    };
    const Case cases[] = {
        {"no tray, the last window hidden", false, false, {hidden}, true},
        {"no tray, every window hidden", false, false, {hidden, hidden, hidden}, true},
        {"no tray, the last window released", false, false, {}, true},
        {"no tray, another window shown", false, false, {hidden, shown}, false},
        {"no tray, another window minimised in the taskbar", false, false, {minimized, hidden}, false},
        {"no tray, the launcher already open", false, true, {hidden}, false},
        {"a tray, the last window hidden", true, false, {hidden}, false},
        {"a tray, the last window released", true, false, {}, false},
    };
    for (const Case& row : cases)
        EXPECT_EQ(opensLauncherAfterClose(row.tray, row.launcherShown, row.windows), row.opens) << row.name;
}

}  // namespace
}  // namespace quenlith
