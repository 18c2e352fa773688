#include "model/scheduler.hpp"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include <glib.h>

#include "model/logging.hpp"

namespace quenlith {

namespace scheduler_detail {

struct TaskState {
    std::function<void()> work;
    bool finished = false;
    // Releases what the scheduler holds for the task (a GLib source); called on cancel.
    std::function<void()> release;

    void run() {
        if (finished) return;
        finished = true;
        release = nullptr;
        // Moved out first: the work may destroy the handle or schedule itself again.
        auto task = std::move(work);
        work = nullptr;
        if (task) task();
    }

    void cancel() {
        if (finished) return;
        finished = true;
        work = nullptr;
        auto releaseNow = std::move(release);
        release = nullptr;
        if (releaseNow) releaseNow();
    }
};

}  // namespace scheduler_detail

using scheduler_detail::TaskState;

ScheduledTask::ScheduledTask(std::shared_ptr<TaskState> state) : state_(std::move(state)) {}

ScheduledTask& ScheduledTask::operator=(ScheduledTask&& other) noexcept {
    if (this != &other) {
        cancel();
        state_ = std::move(other.state_);
    }
    return *this;
}

ScheduledTask::~ScheduledTask() { cancel(); }

void ScheduledTask::cancel() {
    if (!state_) return;
    auto state = std::move(state_);
    state_.reset();
    state->cancel();
}

bool ScheduledTask::pending() const { return state_ && !state_->finished; }

// --- GLib -------------------------------------------------------------------------------------

namespace {

gboolean runGLibTask(gpointer data) {
    auto state = *static_cast<std::shared_ptr<TaskState>*>(data);  // kept alive while it runs
    // An exception must not unwind through GLib's C frames: log it and go on with the loop.
    try {
        state->run();
    } catch (const std::exception& error) {
        logFault(LogCategory::lifecycle, std::string("Deferred work failed: ") + error.what());
    } catch (...) {
        logFault(LogCategory::lifecycle, "Deferred work failed");
    }
    return G_SOURCE_REMOVE;
}

void releaseGLibTask(gpointer data) { delete static_cast<std::shared_ptr<TaskState>*>(data); }

}  // namespace

ScheduledTask GLibScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> work) {
    auto state = std::make_shared<TaskState>();
    state->work = std::move(work);
    GSource* raw = delay.count() <= 0 ? g_idle_source_new() : g_timeout_source_new(static_cast<guint>(delay.count()));
    std::shared_ptr<GSource> source(raw, g_source_unref);
    // Idle work at default priority, so it is not starved by redraws and keeps its order with
    // timeouts.
    g_source_set_priority(raw, G_PRIORITY_DEFAULT);
    g_source_set_callback(raw, runGLibTask, new std::shared_ptr<TaskState>(state), releaseGLibTask);
    GMainContext* context = g_main_context_ref_thread_default();
    g_source_attach(raw, context);
    g_main_context_unref(context);
    // Cancelling destroys the source; running drops this reference with the lambda.
    state->release = [source] { g_source_destroy(source.get()); };
    return ScheduledTask(std::move(state));
}

Scheduler& mainLoopScheduler() {
    static GLibScheduler scheduler;
    return scheduler;
}

// --- manual -----------------------------------------------------------------------------------

ScheduledTask ManualScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> work) {
    auto state = std::make_shared<TaskState>();
    state->work = std::move(work);
    entries_.push_back(Entry{now_ + std::max(delay, std::chrono::milliseconds(0)), nextSequence_++, state});
    return ScheduledTask(std::move(state));
}

void ManualScheduler::prune() {
    std::erase_if(entries_, [](const Entry& entry) { return entry.state->finished; });
}

bool ManualScheduler::runOneDueBy(std::chrono::milliseconds limit) {
    prune();
    auto earliest = std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
    });
    if (earliest == entries_.end() || earliest->due > limit) return false;
    now_ = std::max(now_, earliest->due);
    auto state = earliest->state;
    entries_.erase(earliest);
    state->run();
    return true;
}

void ManualScheduler::advance(std::chrono::milliseconds duration) {
    auto target = now_ + duration;
    while (runOneDueBy(target)) {
    }
    now_ = target;
}

std::size_t ManualScheduler::runDue() {
    std::size_t count = 0;
    while (runOneDueBy(now_)) ++count;
    return count;
}

std::size_t ManualScheduler::pendingCount() const {
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& entry) { return !entry.state->finished; }));
}

std::chrono::milliseconds ManualScheduler::nextDelay() const {
    std::chrono::milliseconds best(-1);
    for (const auto& entry : entries_) {
        if (entry.state->finished) continue;
        auto delay = std::max(entry.due - now_, std::chrono::milliseconds(0));
        if (best.count() < 0 || delay < best) best = delay;
    }
    return best;
}

}  // namespace quenlith
