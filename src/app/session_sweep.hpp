#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "model/scheduler.hpp"
#include "model/session_users.hpp"

namespace quenlith {

class BrowserWindowManager;
class LibraryStore;
class WebAppStore;

// Removes, once each start, the website data of the sessions nothing can use any more: the main
// browser window's session of an earlier start, those of closed windows of another session and of
// deleted websites. It waits until the windows are restored, the library is read and the websites
// can be read (until then the sessions in use are not known); the folders go off the main thread.
class SessionSweep {
public:
    // How long after the start, and then between looks while it waits.
    static constexpr std::chrono::seconds kDelay{20};

    SessionSweep(WebAppStore& store, LibraryStore& library, BrowserWindowManager& windows, Scheduler& timers);
    ~SessionSweep();
    SessionSweep(const SessionSweep&) = delete;
    SessionSweep& operator=(const SessionSweep&) = delete;

    // Sweeps kDelay from now, or at the first look after that when it can.
    void schedule();
    // Whether it has started: its folders may still be being removed.
    bool started() const { return started_; }
    // Told on the main loop when its folders are removed, with their sessions.
    void setOnFinished(std::function<void(const std::vector<Uuid>&)> finished) { onFinished_ = std::move(finished); }

private:
    bool ready() const;
    void sweep();
    // What the stores and the windows use now.
    SessionUsers users() const;

    WebAppStore& store_;
    LibraryStore& library_;
    BrowserWindowManager& windows_;
    Scheduler& timers_;
    ScheduledTask look_;
    bool started_ = false;
    std::function<void(const std::vector<Uuid>&)> onFinished_;
    // The removal's answer holds this weakly.
    std::shared_ptr<SessionSweep*> self_;
};

}  // namespace quenlith
