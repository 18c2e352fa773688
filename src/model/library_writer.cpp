#include "model/library_writer.hpp"

#include <exception>

#include <glib.h>

#include "model/context_post.hpp"
#include "model/library_file.hpp"

namespace quenlith {

LibraryWriter::LibraryWriter(std::string path, Written onDisk, Completion completion)
    : path_(std::move(path)), context_(g_main_context_ref_thread_default()),
      reporter_(std::make_shared<Reporter>(Reporter{std::move(completion)})), onDisk_(std::move(onDisk)) {}

LibraryWriter::~LibraryWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    g_main_context_unref(context_);
}

void LibraryWriter::writeLater(std::vector<HistoryVisit> history, std::uint64_t tag) {
    std::uint64_t sequence = ++reporter_->handedOver;
    {
        std::lock_guard lock(mutex_);
        waiting_ = Job{std::move(history), tag, sequence};
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

Status LibraryWriter::writeNow(const std::function<Status(Written& onDisk)>& work) {
    std::unique_lock lock(mutex_);
    // The waiting history is older than what the caller writes now, which carries its visits.
    waiting_.reset();
    changed_.wait(lock, [this] { return !running_; });
    // Whatever the worker finished is overtaken: its result is no longer news.
    reporter_->settled = reporter_->handedOver;
    return work(onDisk_);
}

bool LibraryWriter::busy() const { return reporter_->settled < reporter_->handedOver; }

void LibraryWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || waiting_; });
        if (!waiting_) return;
        Job job = std::move(*waiting_);
        waiting_.reset();
        running_ = true;
        lock.unlock();

        Status result = success();
        try {
            const LibraryDocument& base = *onDisk_.document;
            auto next = std::make_shared<const LibraryDocument>(
                LibraryDocument{base.version, base.clips, base.scenes, std::move(job.history)});
            result = writeLibraryFile(*next, base, path_);
            // The replaced document is released here, off the main thread.
            if (result) onDisk_ = Written{std::move(next), job.tag};
        } catch (const std::exception&) {
            // Memory ran out: the file stays as it was.
            result = libraryError(LibraryError::invalidDocument);
        }
        deliver(job.sequence, job.tag, std::move(result));

        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

void LibraryWriter::deliver(std::uint64_t sequence, std::uint64_t tag, Status result) {
    std::weak_ptr<Reporter> weak = reporter_;
    postTo(context_, [weak, sequence, tag, result = std::move(result)] {
        auto reporter = weak.lock();
        if (!reporter || sequence <= reporter->settled) return;
        reporter->settled = sequence;
        reporter->completion(tag, result);
    });
}

}  // namespace quenlith
