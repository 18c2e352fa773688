#pragma once

// The one writer of the application's files. A worker thread writes whole files in the order they
// were handed over; a newer write of a path that still waits replaces the waiting one (the newer
// one carries every change), so older content never lands on newer content, and the worker never
// writes a state nobody needs any more. The main thread encodes and hands over; the disk, the
// backup companions and every fsync are the worker's. Completions come back on the main context
// of the thread that handed the write over.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

#include "model/result.hpp"

typedef struct _GMainContext GMainContext;

namespace quenlith {

class FileWriter {
public:
    // Runs on the worker: writes the file (and its companions) and says how it went.
    using Work = std::function<Status()>;
    // Runs on the main context of the thread that handed the write over.
    using Completion = std::function<void(const Status&)>;

    FileWriter();
    // Finishes every write handed over, then stops the worker.
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Hands `work` for `path` to the worker; never waits for the disk. A write of `path` that
    // still waits is dropped unrun and its completion never told; this one goes after every write
    // of another file handed over before it. `done` is told unless a later write of `path` was
    // told first (or waited for).
    void write(const std::string& path, Work work, Completion done = {});
    // The same, then waits for it: for the few writes whose caller must have the answer at once
    // (the final save, restores). Completions of earlier writes of `path` are no longer told.
    Status writeAndWait(const std::string& path, Work work);
    // Waits until every write handed over so far has run (quit).
    void flush();
    // Waits until the writes of `path` handed over so far have run.
    void flush(const std::string& path);
    // True while a write of `path` waits, runs, or its completion has not been told yet.
    bool busy(const std::string& path) const;

    // While a Hold lives, the worker stops after taking a write and before running it: tests make
    // their races by holding it, never with slow content.
    class Hold {
    public:
        explicit Hold(FileWriter& writer);
        // Lets the worker go on, unless released already.
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        // The path of the write the worker holds; nothing when none is taken within `timeout`.
        std::optional<std::string> waitForHeldWrite(
            std::chrono::milliseconds timeout = std::chrono::seconds(10));
        // Lets the held write run and holds the next one the worker takes: the path of that one,
        // or nothing once the worker has nothing left to do. Tests count writes this way.
        std::optional<std::string> runHeldWrite(std::chrono::milliseconds timeout = std::chrono::seconds(10));
        // Whether some thread waits in writeAndWait within `timeout`.
        bool waitForWaitingCaller(std::chrono::milliseconds timeout = std::chrono::seconds(10));
        // Lets the worker go on; from any thread.
        void release();

    private:
        FileWriter& writer_;
        bool held_ = true;
    };

private:
    struct Answer {
        std::optional<Status> result;
    };
    struct Job {
        std::string path;
        Work work;
        Completion done;
        GMainContext* context = nullptr;
        std::uint64_t sequence = 0;
        std::shared_ptr<Answer> answer;
    };
    struct PathState {
        std::uint64_t handedOver = 0;
        std::uint64_t settled = 0;
    };
    // Shared with deliveries that may arrive after the writer is gone.
    struct Book {
        std::mutex mutex;
        std::unordered_map<std::string, PathState> paths;
    };

    std::uint64_t enqueue(const std::string& path, Work work, Completion done,
                          std::shared_ptr<Answer> answer);
    void run();
    void deliver(Job& job, Status result);
    bool pending(const std::string& path) const;

    std::shared_ptr<Book> book_ = std::make_shared<Book>();
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::optional<std::string> running_;
    std::optional<std::string> held_;
    int holds_ = 0;
    // Held writes let through one by one (Hold::runHeldWrite).
    int passes_ = 0;
    int waitingCallers_ = 0;
    std::uint64_t sequence_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

// The application's writer, made at first use; every store writes through it unless handed
// another (tests hand their own).
FileWriter& applicationFileWriter();

// The backup rule of profiles.json: the current file is copied byte for byte to "<path>.backup"
// before `bytes` replace it atomically and durably; a failed copy leaves the file untouched. For
// the worker.
Status replaceKeepingBackup(const std::string& path, const std::string& bytes, std::uint64_t cap);

}  // namespace quenlith
