#include "ui/asked_window.hpp"

#include <optional>

#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "ui/kept_above.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// A window asked for is kept above while the person stays with this application exactly when a
// window of ours is kept above now: the one it was asked from, pinned or unpinned while it was shown
// as well as before, or another one shown beside it, also when it was asked for with none of our
// windows in use (from a tray's menu).
TEST(AskedWindow, IsKeptAboveWhenAWindowOfOursIsNow) {
    struct Case {
        const char* name;
        std::optional<KeptAbove> beforeShown;
        std::optional<KeptAbove> whileShown;
        KeptAbove asked;
        // Asked for with no window of ours in use: the first window is only shown.
        bool fromOutside = false;
        // A second window of ours, kept above, is shown too.
        bool anotherKeptAbove = false;
        // Asked for as a dialog of the window it was asked from.
        bool attach = false;
        std::optional<KeptAbove> askedBefore;
    };
    const Case cases[] = {
        {"kept above from the start", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication},
        {"kept above while shown", std::nullopt, KeptAbove::always, KeptAbove::untilAnotherApplication},
        {"unpinned while shown", KeptAbove::always, KeptAbove::no, KeptAbove::no},
        {"never kept above", std::nullopt, std::nullopt, KeptAbove::no},
        {"from outside, one kept above", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication, true},
        {"from outside, one unpinned", KeptAbove::always, KeptAbove::no, KeptAbove::no, true},
        {"from outside, none kept above", std::nullopt, std::nullopt, KeptAbove::no, true},
        {"from one not kept above, another kept above", std::nullopt, std::nullopt,
         KeptAbove::untilAnotherApplication, false, true},
        {"a dialog of one kept above", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication, false,
         false, true},
        {"a dialog from outside, one kept above", KeptAbove::always, std::nullopt,
         KeptAbove::untilAnotherApplication, true, false, true},
        {"kept above itself", KeptAbove::always, std::nullopt, KeptAbove::always, true, false, false,
         KeptAbove::always},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gtk::Window origin;
        Gtk::Window other;
        if (c.beforeShown) keepAbove(origin, *c.beforeShown);
        if (c.anotherKeptAbove) {
            keepAbove(other, KeptAbove::always);
            other.show();
        }
        origin.show();
        ASSERT_TRUE(spinUntil([&] { return origin.get_mapped(); }));
        if (c.whileShown) keepAbove(origin, *c.whileShown);
        Gtk::Window asked;
        if (c.askedBefore) keepAbove(asked, *c.askedBefore);
        presentAskedWindow(asked, c.fromOutside ? nullptr : &origin, c.attach);
        EXPECT_EQ(keptAbove(asked), c.asked);
        EXPECT_EQ(asked.get_transient_for(), c.attach && !c.fromOutside ? &origin : nullptr);
        hideAskedWindow(asked);
    }
}

}  // namespace
}  // namespace quenlith
