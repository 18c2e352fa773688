#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "model/debounced_save.hpp"
#include "model/scheduler.hpp"

namespace quenlith {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// A change at a time: one that matters (another window's new tab) or one that matters little
// (a page's new title), which the save holds back when it may.
struct Change {
    milliseconds at;
    bool minor = false;
};

std::vector<Change> every(milliseconds step, milliseconds from, milliseconds to, bool minor) {
    std::vector<Change> changes;
    for (milliseconds at = from; at <= to; at += step) changes.push_back({at, minor});
    return changes;
}

// Plays the changes in order over `horizon` and returns when the save wrote.
std::vector<milliseconds> writeTimes(DebouncedSave::Delays delays, std::vector<Change> changes,
                                     milliseconds horizon) {
    ManualScheduler scheduler;
    std::vector<milliseconds> writes;
    bool unsaved = false, unsavedMinor = false;
    DebouncedSave save(scheduler, delays, [&](DebouncedSave::Call call) {
        if (!unsaved && unsavedMinor && call == DebouncedSave::Call::mayHold) return false;
        if (unsaved || unsavedMinor) writes.push_back(scheduler.now());
        unsaved = unsavedMinor = false;
        return true;
    });
    std::stable_sort(changes.begin(), changes.end(), [](auto& a, auto& b) { return a.at < b.at; });
    for (const auto& change : changes) {
        scheduler.advance(change.at - scheduler.now());
        (change.minor ? unsavedMinor : unsaved) = true;
        save.changed();
    }
    scheduler.advance(horizon - scheduler.now());
    EXPECT_FALSE(save.pending());
    return writes;
}

TEST(DebouncedSaveTest, WritesAfterQuietButNeverLaterThanTheCeilingAndHoldsMinorChangesBack) {
    const DebouncedSave::Delays session{.quiet = 700ms, .ceiling = 3s, .held = 10s};
    const DebouncedSave::Delays websites{.quiet = 400ms, .ceiling = 3s, .held = 10s};
    auto with = [](std::vector<Change> a, const std::vector<Change>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* label;
        DebouncedSave::Delays delays;
        std::vector<Change> changes;
        std::vector<milliseconds> writes;
    };
    const Case cases[] = {
        {"one change, then quiet", session, {{0ms}}, {700ms}},
        {"two changes half a second apart", session, {{0ms}, {500ms}}, {1200ms}},
        {"the websites' shorter quiet", websites, {{0ms}, {300ms}}, {700ms}},
        {"a change every 0.3 s: written at the ceiling from the first unsaved one", session,
         every(300ms, 0ms, 19800ms, false), {3s, 6s, 9s, 12s, 15s, 18s, 20500ms}},
        {"the websites' setters every 0.3 s", websites, every(300ms, 0ms, 9900ms, false),
         {3s, 6s, 9s, 10300ms}},
        {"a lone title: held, then written", session, {{0ms, true}}, {10700ms}},
        {"a title every 0.3 s: once in 20 s", session, every(300ms, 0ms, 19800ms, true), {13s, 26200ms}},
        {"a title every second: once in 20 s", session, every(1s, 0ms, 19s, true), {10700ms, 21700ms}},
        {"another window's change amid a title every 0.3 s: written within the ceiling", session,
         with(every(300ms, 0ms, 19800ms, true), {{5000ms}}), {6s, 19s, 30500ms}},
        {"a change while a title is held goes after quiet and takes the title along", session,
         {{0ms, true}, {2s}}, {2700ms}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(writeTimes(c.delays, c.changes, 40s), c.writes);
    }
}

TEST(DebouncedSaveTest, CancelledChangesAreNeverWrittenAChangeInsideTheSaveWaitsAgainAndAHoldKeepsItWaiting) {
    ManualScheduler scheduler;
    int saves = 0;
    DebouncedSave* self = nullptr;
    DebouncedSave save(scheduler, {.quiet = 700ms}, [&](DebouncedSave::Call) {
        if (++saves == 1) self->changed();  // the save itself changes something
        return true;
    });
    self = &save;
    save.changed();
    scheduler.advance(500ms);
    save.cancel();
    EXPECT_FALSE(save.pending());
    scheduler.advance(20s);
    EXPECT_EQ(saves, 0);

    save.changed();
    scheduler.advance(700ms);
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(save.pending());
    scheduler.advance(700ms);
    EXPECT_EQ(saves, 2);
    EXPECT_FALSE(save.pending());

    // Changes held back keep a save waiting until it has run again and saved.
    std::vector<DebouncedSave::Call> calls;
    DebouncedSave holding(scheduler, {.quiet = 700ms, .held = 10s}, [&](DebouncedSave::Call call) {
        calls.push_back(call);
        return call == DebouncedSave::Call::mustSave;
    });
    holding.changed();
    scheduler.advance(700ms);
    EXPECT_TRUE(holding.pending());
    scheduler.advance(10s);
    EXPECT_EQ(calls, (std::vector<DebouncedSave::Call>{DebouncedSave::Call::mayHold, DebouncedSave::Call::mustSave}));
    EXPECT_FALSE(holding.pending());
}

}  // namespace
}  // namespace quenlith
