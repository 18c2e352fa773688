#pragma once

// Deferred work on the main loop. Code that debounces, delays or re-dispatches work takes a
// Scheduler, so the application runs it on GLib timeouts while tests step time by hand.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quenlith {

namespace scheduler_detail {
struct TaskState;
}

// Handle of one piece of scheduled work. Destroying the handle or calling cancel() before the
// work ran means it never runs; afterwards both do nothing. Move-only.
class ScheduledTask {
public:
    ScheduledTask() = default;
    explicit ScheduledTask(std::shared_ptr<scheduler_detail::TaskState> state);
    ScheduledTask(ScheduledTask&& other) noexcept = default;
    ScheduledTask& operator=(ScheduledTask&& other) noexcept;
    ScheduledTask(const ScheduledTask&) = delete;
    ScheduledTask& operator=(const ScheduledTask&) = delete;
    ~ScheduledTask();

    void cancel();
    // True while the work is waiting to run.
    bool pending() const;

private:
    std::shared_ptr<scheduler_detail::TaskState> state_;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Runs `work` once on the main loop after `delay`; a zero delay runs it at the loop's next idle
    // turn, never inside the caller. Work due at the same time runs in the order it was scheduled.
    [[nodiscard]] virtual ScheduledTask schedule(std::chrono::milliseconds delay, std::function<void()> work) = 0;

    // Shorthand for work that must run after the current call stack unwinds.
    [[nodiscard]] ScheduledTask scheduleIdle(std::function<void()> work) {
        return schedule(std::chrono::milliseconds(0), std::move(work));
    }
};

// GLib timeouts and idle sources on the thread-default main context at scheduling time.
class GLibScheduler final : public Scheduler {
public:
    ScheduledTask schedule(std::chrono::milliseconds delay, std::function<void()> work) override;
};

// The scheduler the application uses: GLib's main loop.
Scheduler& mainLoopScheduler();

// A scheduler whose time moves only when a test says so; nothing runs on its own.
class ManualScheduler final : public Scheduler {
public:
    ScheduledTask schedule(std::chrono::milliseconds delay, std::function<void()> work) override;

    // Moves time forward by `duration`, running every task that falls due on the way, in due-time
    // order (ties in scheduling order), including tasks scheduled by the tasks it runs.
    void advance(std::chrono::milliseconds duration);
    // Runs the tasks due now (idle work), including idle work they schedule. Returns how many ran.
    std::size_t runDue();

    std::chrono::milliseconds now() const { return now_; }
    // Tasks still waiting (cancelled ones not counted).
    std::size_t pendingCount() const;
    // Time until the earliest waiting task, or -1 ms when none waits.
    std::chrono::milliseconds nextDelay() const;

private:
    struct Entry {
        std::chrono::milliseconds due;
        std::uint64_t sequence;
        std::shared_ptr<scheduler_detail::TaskState> state;
    };
    bool runOneDueBy(std::chrono::milliseconds limit);
    void prune();

    std::chrono::milliseconds now_{0};
    std::uint64_t nextSequence_ = 0;
    std::vector<Entry> entries_;
};

}  // namespace quenlith
