#include "ui/asked_window.hpp"

#include <optional>

#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "ui/kept_above.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// A window asked for from another is kept above while the person stays with this application exactly
// when that window is kept above now: pinned or unpinned while it was shown as well as before.
TEST(AskedWindow, IsKeptAboveWhenTheWindowItWasAskedFromIsNow) {
    struct Case {
        const char* name;
        std::optional<KeptAbove> beforeShown;
        std::optional<KeptAbove> whileShown;
        KeptAbove asked;
    };
    const Case cases[] = {
        {"kept above from the start", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication},
        {"kept above while shown", std::nullopt, KeptAbove::always, KeptAbove::untilAnotherApplication},
        {"unpinned while shown", KeptAbove::always, KeptAbove::no, KeptAbove::no},
        {"never kept above", std::nullopt, std::nullopt, KeptAbove::no},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gtk::Window origin;
        if (c.beforeShown) keepAbove(origin, *c.beforeShown);
        origin.show();
        ASSERT_TRUE(spinUntil([&] { return origin.get_mapped(); }));
        if (c.whileShown) keepAbove(origin, *c.whileShown);
        Gtk::Window asked;
        presentAskedWindow(asked, &origin, false);
        EXPECT_EQ(keptAbove(asked), c.asked);
        hideAskedWindow(asked);
    }
}

}  // namespace
}  // namespace quenlith
