#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "browser/engine/gobject_ptr.hpp"
#include "model/scheduler.hpp"

typedef struct _WebKitWebView WebKitWebView;
typedef unsigned long gulong;

namespace quenlith {

class WindowFactory;

// Waits for the pages asked for at start to finish loading, or for a short while: building windows
// holds up the main loop, which the pages' web processes need for their first requests and the
// first pages to be shown. Main thread only.
class StartPageWait {
public:
    // The longest wait.
    static constexpr std::chrono::milliseconds kLimit{400};

    StartPageWait(WindowFactory& factory, Scheduler& timers);
    ~StartPageWait();
    StartPageWait(const StartPageWait&) = delete;
    StartPageWait& operator=(const StartPageWait&) = delete;

    // Starts waiting for every page the factory keeps; `done` runs once when all have loaded (or
    // failed) or the limit has passed. Nothing is waited for, and `done` never runs, when the
    // factory keeps no page.
    void begin(std::function<void()> done);
    // Stops waiting; `done` does not run any more.
    void end();
    bool waiting() const { return !awaited_.empty(); }

private:
    void pageChanged(WebKitWebView* view, bool finished);
    void finish();

    struct AwaitedPage {
        GObjectPtr<WebKitWebView> view;
        std::vector<gulong> handlers;
    };
    WindowFactory& factory_;
    Scheduler& timers_;
    std::vector<AwaitedPage> awaited_;
    ScheduledTask limit_;
    std::function<void()> done_;
    // The signal handlers hold this weakly, and are disconnected before their views go.
    std::shared_ptr<StartPageWait*> self_;
};

}  // namespace quenlith
