// Awaiting GIO calls with a time limit: answers in time come back, a call past its time is
// cancelled, and a call that ignores its cancellation is dropped once it ends, without leaking.
#include "browser/engine/bounded_calls.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>

#include <gtest/gtest.h>

#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kLimit{300};
constexpr milliseconds kGrace{100};
// Room for a loaded machine above the limit and the grace.
constexpr milliseconds kSlack{2000};

enum class Answer { immediately, afterAWhile, onCancellation, never };

struct CallCase {
    const char* name;
    Answer answer;
    bool answered;  // whether run() gives the answer back
};

void PrintTo(const CallCase& c, std::ostream* out) { *out << c.name; }

// A call the test plays itself: a task on the context it starts on, answering 42 as the case says.
class PlayedCall {
public:
    explicit PlayedCall(Answer answer) : answer_(answer) {}
    ~PlayedCall() {
        if (task_) g_object_remove_weak_pointer(G_OBJECT(task_), reinterpret_cast<gpointer*>(&task_));
    }

    void start(BoundedCalls& calls, GAsyncReadyCallback callback, gpointer data) {
        ++starts;
        GTask* task = g_task_new(nullptr, calls.cancellable(), callback, data);
        g_task_set_check_cancellable(task, FALSE);
        task_ = task;
        g_object_add_weak_pointer(G_OBJECT(task_), reinterpret_cast<gpointer*>(&task_));
        switch (answer_) {
        case Answer::immediately:
            g_task_return_int(task, 42);
            g_object_unref(task);
            break;
        case Answer::afterAWhile: {
            // Answers from the context the call started on, as GIO's own calls do.
            GSource* later = g_timeout_source_new(50);
            g_source_set_callback(later, [](gpointer data) {
                g_task_return_int(G_TASK(data), 42);
                return G_SOURCE_REMOVE;
            }, task, g_object_unref);
            g_source_attach(later, g_main_context_get_thread_default());
            g_source_unref(later);
            break;
        }
        case Answer::onCancellation:
            // The handler takes over the task's reference (a cancellable fires once).
            g_cancellable_connect(calls.cancellable(), G_CALLBACK(+[](GCancellable*, gpointer data) {
                g_task_return_new_error(G_TASK(data), G_IO_ERROR, G_IO_ERROR_CANCELLED, "cancelled");
                g_object_unref(data);
            }), task, nullptr);
            break;
        case Answer::never:
            kept_ = GObjectPtr<GTask>::adopt(task);
            break;
        }
    }

    // Answers a call that had ignored its cancellation, from the application's main context.
    void answerLate() {
        g_task_return_int(kept_.get(), 42);
        kept_.reset();
    }
    bool taskAlive() const { return task_ != nullptr; }

    int starts = 0;

private:
    Answer answer_;
    GTask* task_ = nullptr;  // weak
    GObjectPtr<GTask> kept_;
};

class BoundedCallsTest : public ::testing::TestWithParam<CallCase> {};

TEST_P(BoundedCallsTest, AnswersInTimeComeBackAndOthersAreGivenUpAtTheLimit) {
    const CallCase& c = GetParam();
    PlayedCall played(c.answer);
    auto keepAlive = std::make_shared<int>(0);
    std::weak_ptr<int> kept = keepAlive;
    bool applicationLoopRan = false;
    guint idle = g_idle_add([](gpointer data) {
        *static_cast<bool*>(data) = true;
        return G_SOURCE_REMOVE;
    }, &applicationLoopRan);

    std::optional<BoundedCalls> calls(std::in_place, kLimit, kGrace);
    auto started = Clock::now();
    auto result = calls->run([&](GAsyncReadyCallback callback, gpointer data) { played.start(*calls, callback, data); },
                             std::move(keepAlive));
    auto took = Clock::now() - started;
    EXPECT_FALSE(applicationLoopRan) << "the application's main loop must not run while a call is awaited";
    if (!applicationLoopRan) g_source_remove(idle);

    if (c.answered) {
        ASSERT_TRUE(result);
        GError* error = nullptr;
        EXPECT_EQ(g_task_propagate_int(G_TASK(result.get()), &error), 42);
        EXPECT_EQ(error, nullptr);
        EXPECT_FALSE(calls->timedOut());
        EXPECT_LT(took, kLimit);
        result.reset();
    } else {
        EXPECT_FALSE(result);
        EXPECT_TRUE(calls->timedOut());
        EXPECT_GE(took, kLimit);
        EXPECT_LT(took, kLimit + kGrace + kSlack);
        // Once the time is up no further call starts.
        EXPECT_FALSE(calls->run([&](GAsyncReadyCallback callback, gpointer data) {
            played.start(*calls, callback, data);
        }));
        EXPECT_EQ(played.starts, 1);
    }

    calls.reset();
    if (c.answer != Answer::never) {
        EXPECT_TRUE(kept.expired()) << "an ended call holds nothing";
        EXPECT_FALSE(played.taskAlive());
        return;
    }
    // The call ignored its cancellation: it is kept until it ends, then dropped.
    EXPECT_FALSE(kept.expired());
    played.answerLate();
    EXPECT_TRUE(test::spinUntil([&] { return kept.expired() && !played.taskAlive(); }))
        << "the late answer was never dropped";
}

INSTANTIATE_TEST_SUITE_P(Answers, BoundedCallsTest,
                         ::testing::Values(CallCase{"immediately", Answer::immediately, true},
                                           CallCase{"afterAWhile", Answer::afterAWhile, true},
                                           CallCase{"onCancellation", Answer::onCancellation, false},
                                           CallCase{"never", Answer::never, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BoundedCallsLimitTest, OneLimitCoversAllCallsTogether) {
    BoundedCalls calls(kLimit, kGrace);
    auto started = Clock::now();
    int answered = 0;
    // Calls of 50 ms each: the sixth or so runs into the shared limit.
    while (answered < 100) {
        PlayedCall played(Answer::afterAWhile);
        if (!calls.run([&](GAsyncReadyCallback callback, gpointer data) { played.start(calls, callback, data); })) break;
        ++answered;
    }
    auto took = Clock::now() - started;
    EXPECT_TRUE(calls.timedOut());
    EXPECT_GE(answered, 1);
    EXPECT_LT(answered, 100);
    EXPECT_LT(took, kLimit + kGrace + kSlack);
}

}  // namespace
}  // namespace quenlith
