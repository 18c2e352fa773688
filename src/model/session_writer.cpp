#include "model/session_writer.hpp"

#include <exception>

#include <glib.h>

#include "model/context_post.hpp"
#include "model/file_store.hpp"

namespace quenlith {

SessionWriter::SessionWriter(BrowserSessionPersistence persistence, Completion completion)
    : persistence_(std::move(persistence)), context_(g_main_context_ref_thread_default()),
      reporter_(std::make_shared<Reporter>(Reporter{std::move(completion)})) {}

SessionWriter::~SessionWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    g_main_context_unref(context_);
}

void SessionWriter::writeLater(BrowserSessionDocument document) {
    std::uint64_t sequence = ++reporter_->handedOver;
    {
        std::lock_guard lock(mutex_);
        waiting_ = Job{std::move(document), sequence};
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

Status SessionWriter::exclusive(const std::function<Status(const BrowserSessionPersistence&)>& work) {
    std::unique_lock lock(mutex_);
    // The waiting snapshot is older than whatever the caller does now.
    waiting_.reset();
    changed_.wait(lock, [this] { return !running_; });
    reporter_->settled = reporter_->handedOver;
    return work(persistence_);
}

void SessionWriter::run() {
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
            result = persistence_.save(job.document);
        } catch (const std::exception&) {
            // Memory ran out: the file stays as it was.
            result = files::encodingError(persistence_.fileURL());
        }
        std::weak_ptr<Reporter> weak = reporter_;
        postTo(context_, [weak, sequence = job.sequence, result = std::move(result)] {
            auto reporter = weak.lock();
            if (!reporter || sequence <= reporter->settled) return;
            reporter->settled = sequence;
            reporter->completion(result);
        });

        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace quenlith
