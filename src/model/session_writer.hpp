#pragma once

// Writes session-v1.json away from the main thread. One worker writes one snapshot at a time, in
// the order they were handed over; a snapshot handed over while another still waits replaces it
// (the newer one describes every window), so an older snapshot never lands on a newer one. The
// backup rule is the persistence's: each write moves the replaced readable snapshot to the backup.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "model/browser_session.hpp"
#include "model/result.hpp"

typedef struct _GMainContext GMainContext;

namespace quenlith {

class SessionWriter {
public:
    // Told on the main context, in order, of each finished background write. Writes overtaken by
    // an immediate one are not told.
    using Completion = std::function<void(const Status& result)>;

    // Completions go to the thread-default main context of the calling thread.
    SessionWriter(BrowserSessionPersistence persistence, Completion completion);
    // Finishes the write in flight and the one waiting, then stops the worker.
    ~SessionWriter();
    SessionWriter(const SessionWriter&) = delete;
    SessionWriter& operator=(const SessionWriter&) = delete;

    // Hands the snapshot to the worker; never waits for the disk.
    void writeLater(BrowserSessionDocument document);
    // Waits for the write in flight, drops the waiting one, then runs `work` on the calling thread
    // with nothing else writing meanwhile: the final snapshot and the removal of the files.
    Status exclusive(const std::function<Status(const BrowserSessionPersistence&)>& work);
    // True while a snapshot waits, is being written, or has not been told yet.
    bool busy() const { return reporter_->settled < reporter_->handedOver; }

private:
    struct Job {
        BrowserSessionDocument document;
        std::uint64_t sequence;
    };
    struct Reporter {
        Completion completion;
        std::uint64_t handedOver = 0;
        std::uint64_t settled = 0;
    };

    void run();

    const BrowserSessionPersistence persistence_;
    GMainContext* context_;
    std::shared_ptr<Reporter> reporter_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace quenlith
