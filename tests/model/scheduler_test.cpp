#include <gtest/gtest.h>

#include <stdexcept>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>

#include "model/clock.hpp"
#include "model/scheduler.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using namespace std::chrono_literals;

TEST(ManualScheduler, RunsWorkInDueOrderAndOnlyWhenTimeReachesIt) {
    ManualScheduler scheduler;
    std::vector<std::string> ran;
    auto late = scheduler.schedule(300ms, [&] { ran.push_back("late"); });
    auto early = scheduler.schedule(100ms, [&] { ran.push_back("early"); });
    auto tieA = scheduler.schedule(200ms, [&] { ran.push_back("tieA"); });
    auto tieB = scheduler.schedule(200ms, [&] { ran.push_back("tieB"); });

    scheduler.advance(99ms);
    EXPECT_TRUE(ran.empty());
    scheduler.advance(1ms);
    EXPECT_EQ(ran, std::vector<std::string>{"early"});
    scheduler.advance(200ms);
    EXPECT_EQ(ran, (std::vector<std::string>{"early", "tieA", "tieB", "late"}));
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_FALSE(late.pending());

    // Work scheduled by work runs within the same advance.
    std::vector<long> times;
    ScheduledTask second;
    auto first = scheduler.schedule(100ms, [&] {
        times.push_back(scheduler.now().count());
        second = scheduler.schedule(50ms, [&] { times.push_back(scheduler.now().count()); });
    });
    scheduler.advance(149ms);
    EXPECT_EQ(times, std::vector<long>{400});
    scheduler.advance(1ms);
    EXPECT_EQ(times, (std::vector<long>{400, 450}));
}

TEST(ManualScheduler, CancelledDroppedOrReplacedWorkNeverRunsAndIdleWorkWaits) {
    ManualScheduler scheduler;
    int runs = 0;
    auto kept = scheduler.schedule(10ms, [&] { ++runs; });
    { auto dropped = scheduler.schedule(10ms, [&] { runs += 100; }); }
    auto cancelled = scheduler.schedule(10ms, [&] { runs += 1000; });
    cancelled.cancel();
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(1s);
    EXPECT_EQ(runs, 1);
    kept.cancel();  // after running: harmless

    std::vector<int> ran;
    ScheduledTask debounce;
    for (int i = 0; i < 3; ++i) debounce = scheduler.schedule(400ms, [&ran, i] { ran.push_back(i); });
    scheduler.advance(1s);
    EXPECT_EQ(ran, std::vector<int>{2});

    // Idle work runs only when asked.
    auto idle = scheduler.scheduleIdle([&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(scheduler.nextDelay(), 0ms);
    EXPECT_EQ(scheduler.runDue(), 1u);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(scheduler.nextDelay(), -1ms);
}

// The GLib scheduler on a real main loop: order, cancellation and the handle's state.
TEST(GLibScheduler, RunsOnTheMainLoopInOrderAndHonoursCancel) {
    GLibScheduler scheduler;
    std::vector<std::string> ran;
    auto idle = scheduler.scheduleIdle([&] { ran.push_back("idle"); });
    auto timeout = scheduler.schedule(5ms, [&] { ran.push_back("timeout"); });
    auto cancelled = scheduler.scheduleIdle([&] { ran.push_back("cancelled"); });
    cancelled.cancel();
    EXPECT_TRUE(ran.empty()) << "nothing runs inside the caller";
    EXPECT_TRUE(timeout.pending());

    test::spinUntil([&] { return ran.size() >= 2; });
    EXPECT_EQ(ran, (std::vector<std::string>{"idle", "timeout"}));
    EXPECT_FALSE(timeout.pending());
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_EQ(ran.size(), 2u);
}

// Idle work runs at the default priority: before redraws and GLib's own idle work queued earlier.
TEST(GLibScheduler, IdleWorkIsNotStarvedByLowerPriorities) {
    GLibScheduler scheduler;
    std::vector<std::string> ran;
    guint lower = g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, [](gpointer data) {
        static_cast<std::vector<std::string>*>(data)->push_back("default idle");
        return G_SOURCE_REMOVE;
    }, &ran, nullptr);
    auto ours = scheduler.scheduleIdle([&] { ran.push_back("ours"); });
    test::spinUntil([&] { return ran.size() >= 2; });
    EXPECT_EQ(ran, (std::vector<std::string>{"ours", "default idle"}));
    if (ran.size() < 2) g_source_remove(lower);
}

TEST(GLibScheduler, WorkMayThrowOrDestroyItsOwnHandle) {
    GLibScheduler scheduler;
    auto failing = scheduler.scheduleIdle([] { throw std::runtime_error("listener failed"); });
    auto handle = std::make_unique<ScheduledTask>();
    bool ran = false;
    *handle = scheduler.scheduleIdle([&] {
        handle.reset();
        ran = true;
    });
    EXPECT_TRUE(test::spinUntil([&] { return ran; })) << "the loop goes on after a throw";
    EXPECT_FALSE(failing.pending());
}

TEST(Date, ConvertsBetweenReferenceDateAndUnixTime) {
    // 2001-01-01T00:00:00Z is 978307200 in Unix time.
    EXPECT_EQ(Date::fromUnixSeconds(978307200.0).secondsSinceReferenceDate, 0.0);
    Date date{123.5};
    EXPECT_EQ(date.unixSeconds(), 978307323.5);
    EXPECT_EQ(date.adding(10).secondsSince(date), 10.0);
    double now = systemClock().now().unixSeconds();
    EXPECT_NEAR(now, static_cast<double>(g_get_real_time()) / 1e6, 5.0);
}

}  // namespace
}  // namespace quenlith
