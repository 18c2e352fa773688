#pragma once

// Writes library.json away from the main thread. One worker writes one history at a time, in the
// order they were handed over; a history handed over while another still waits replaces it (the
// newer one carries every change), so an older document never lands on a newer one. The writer
// knows the document last written, which is the held document of the backup rule and the base of
// every background write: saved pages and groups change only through immediate writes, so the
// main thread hands over the history alone and never copies the whole library.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/library_document.hpp"
#include "model/result.hpp"

typedef struct _GMainContext GMainContext;

namespace quenlith {

class LibraryWriter {
public:
    using Snapshot = std::shared_ptr<const LibraryDocument>;
    // The document in library.json as far as this process knows, with the tag it was handed with.
    struct Written {
        Snapshot document;
        std::uint64_t tag = 0;
    };
    // Told on the main context, in order, of each finished background write: its tag and result.
    // Writes overtaken by an immediate write are not told.
    using Completion = std::function<void(std::uint64_t tag, const Status& result)>;

    // `onDisk` is the document the file holds now (the empty document when there is no file).
    // Completions go to the thread-default main context of the calling thread.
    LibraryWriter(std::string path, Written onDisk, Completion completion);
    // Finishes the write in flight and the one waiting, then stops the worker.
    ~LibraryWriter();
    LibraryWriter(const LibraryWriter&) = delete;
    LibraryWriter& operator=(const LibraryWriter&) = delete;

    // Hands the worker the document last written with `history` in its place; never waits for
    // the disk.
    void writeLater(std::vector<HistoryVisit> history, std::uint64_t tag);
    // Waits for the write in flight, drops the waiting one, then runs `work` on the calling thread
    // with the written document, which `work` updates when it changes the file. Nothing else
    // writes meanwhile. For immediate transactions, restores and the final save.
    Status writeNow(const std::function<Status(Written& onDisk)>& work);
    // True while a handed-over history waits, is being written, or has not been told yet.
    bool busy() const;

private:
    struct Job {
        std::vector<HistoryVisit> history;
        std::uint64_t tag;
        std::uint64_t sequence;
    };
    // Main-thread side, kept apart so that deliveries arriving after the writer is gone do nothing.
    struct Reporter {
        Completion completion;
        std::uint64_t handedOver = 0;
        std::uint64_t settled = 0;
    };

    void run();
    void deliver(std::uint64_t sequence, std::uint64_t tag, Status result);

    const std::string path_;
    GMainContext* context_;
    std::shared_ptr<Reporter> reporter_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    // Touched by the worker only while `running_`, by writeNow only while it is not.
    Written onDisk_;
    std::thread worker_;
};

}  // namespace quenlith
