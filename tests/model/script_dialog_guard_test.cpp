#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/clock.hpp"
#include "model/script_dialog_guard.hpp"

namespace quenlith {
namespace {

// What happens to one tab, at seconds after the start.
struct Step {
    enum Kind { open, close, stop, commit, reload, print, printClose } kind;
    double at;
    std::string page = {};
};

struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<bool> offers;  // one per opened dialog
    bool stoppedAtEnd = false;
    std::vector<bool> printsShown = {};  // one per print request
};

// A print request whose dialog, when shown, stays open for `seconds`.
std::vector<Step> printed(double at, double seconds = 0.5) {
    return {{Step::print, at}, {Step::printClose, at + seconds}};
}

// A shown dialog that stays open for `seconds`.
std::vector<Step> dialog(double at, double seconds = 0.5) {
    return {{Step::open, at}, {Step::close, at + seconds}};
}

std::vector<Step> join(std::initializer_list<std::vector<Step>> parts) {
    std::vector<Step> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(ScriptDialogGuard, OffersToStopFromTheThirdDialogInQuickSuccessionUntilAnotherPageOrAReload) {
    const std::string page = "https://a.test/game?level=1";
    const Case cases[] = {
        {"a page asking now and then",
         join({dialog(0), dialog(10), dialog(20), dialog(30)}),
         {false, false, false, false}},
        {"a loop: each opens as the last closes",
         join({dialog(0), dialog(0.5), dialog(1), dialog(1.5)}),
         {false, false, true, true}},
        {"a slow reader is still in a loop",
         join({dialog(0, 40), dialog(41, 30), dialog(75)}),
         {false, false, true}},
        {"at the succession's end the run goes on",
         join({dialog(0, 0), dialog(5, 0), dialog(10)}),
         {false, false, true}},
        {"a longer pause starts a new run",
         join({dialog(0, 0), dialog(0, 0), dialog(5.5, 0), dialog(5.5, 0), dialog(5.5)}),
         {false, false, false, false, true}},
        {"one opening while another is open continues the run",
         {{Step::open, 0}, {Step::open, 60}, {Step::open, 120}},
         {false, false, true}},
        {"a close it did not count changes nothing",
         {{Step::close, 0}, {Step::open, 100}, {Step::open, 160}, {Step::open, 220}},
         {false, false, true}},
        {"stopped",
         join({dialog(0), dialog(0), dialog(0), {{Step::stop, 1, page}}}),
         {false, false, true},
         true},
        {"the page reloading itself or moving to an anchor stays stopped",
         {{Step::stop, 0, page + "#top"}, {Step::commit, 1, page}, {Step::commit, 2, page + "#end"}},
         {},
         true},
        {"another page ends the stop",
         {{Step::stop, 0, page}, {Step::commit, 1, "https://a.test/game?level=2"}},
         {}},
        {"another site ends the stop",
         {{Step::stop, 0, page}, {Step::commit, 1, "https://b.test/game?level=1"}},
         {}},
        {"the user's reload ends the stop",
         {{Step::stop, 0, page}, {Step::reload, 1}, {Step::commit, 2, page}},
         {}},
        {"after the stop a looping page is offered again at once",
         join({dialog(0), dialog(0), dialog(0), {{Step::stop, 1, page}, {Step::reload, 2}}, dialog(3)}),
         {false, false, true, true}},
        {"a page printing now and then",
         join({printed(0), printed(10), printed(20)}),
         {},
         false,
         {true, true, true}},
        {"a print loop: asked again right after a dismissal, nothing until the pause",
         join({printed(0, 2), {{Step::print, 2.2}, {Step::print, 7}, {Step::print, 7.2}}}),
         {},
         false,
         {true, false, false, true}},
        {"one print dialog at a time",
         {{Step::print, 0}, {Step::print, 0.2}, {Step::print, 60}},
         {},
         false,
         {true, false, false}},
        {"no print dialog over a script dialog, but one right after it",
         join({{{Step::open, 0}, {Step::print, 0.2}, {Step::close, 1}}, printed(1.1)}),
         {false},
         false,
         {false, true}},
        {"a print dialog continues the page's run of dialogs",
         join({printed(0), dialog(1), dialog(1.5)}),
         {false, true},
         false,
         {true}},
        {"a page whose dialogs are stopped prints nothing until the reload",
         join({dialog(0),
               dialog(0),
               dialog(0),
               {{Step::stop, 1, page}, {Step::print, 2}, {Step::reload, 3}},
               printed(4)}),
         {false, false, true},
         false,
         {false, true}},
    };
    for (const auto& c : cases) {
        ManualClock clock(Date{0});
        ScriptDialogGuard guard(clock);
        std::vector<bool> offers, prints;
        for (const auto& step : c.steps) {
            clock.set(Date{step.at});
            switch (step.kind) {
                case Step::open: offers.push_back(guard.opening()); break;
                case Step::close: guard.closed(); break;
                case Step::stop: guard.stop(step.page); break;
                case Step::commit: guard.committed(step.page); break;
                case Step::reload: guard.reloaded(); break;
                case Step::print: prints.push_back(guard.printing()); break;
                case Step::printClose: guard.printClosed(); break;
            }
        }
        EXPECT_EQ(offers, c.offers) << c.what;
        EXPECT_EQ(guard.isStopped(), c.stoppedAtEnd) << c.what;
        EXPECT_EQ(prints, c.printsShown) << c.what;
    }
}

}  // namespace
}  // namespace quenlith
