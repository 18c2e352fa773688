#include "model/file_writer.hpp"

#include <algorithm>
#include <exception>

#include <glib.h>

#include "model/context_post.hpp"
#include "model/file_store.hpp"

namespace quenlith {

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::uint64_t FileWriter::enqueue(const std::string& path, Work work, Completion done,
                                  std::shared_ptr<Answer> answer) {
    GMainContext* context = done ? g_main_context_ref_thread_default() : nullptr;
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        sequence = ++sequence_;
        // The waiting write of the same file is older than this one, which carries its changes;
        // one somebody waits for is never dropped.
        auto stale = std::find_if(queue_.begin(), queue_.end(),
                                  [&](const Job& job) { return job.path == path && !job.answer; });
        if (stale != queue_.end()) {
            if (stale->context) g_main_context_unref(stale->context);
            queue_.erase(stale);
        }
        queue_.push_back(Job{path, std::move(work), std::move(done), context, sequence, std::move(answer)});
        {
            std::lock_guard book(book_->mutex);
            book_->paths[path].handedOver = sequence;
        }
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
    return sequence;
}

void FileWriter::write(const std::string& path, Work work, Completion done) {
    enqueue(path, std::move(work), std::move(done), nullptr);
}

Status FileWriter::writeAndWait(const std::string& path, Work work) {
    auto answer = std::make_shared<Answer>();
    std::uint64_t sequence = enqueue(path, std::move(work), {}, answer);
    std::unique_lock lock(mutex_);
    ++waitingCallers_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return answer->result.has_value(); });
    --waitingCallers_;
    {
        // Whatever finished before is overtaken: its result is no longer news.
        std::lock_guard book(book_->mutex);
        auto& state = book_->paths[path];
        state.settled = std::max(state.settled, sequence);
    }
    return std::move(*answer->result);
}

bool FileWriter::pending(const std::string& path) const {
    if (running_ == path) return true;
    return std::any_of(queue_.begin(), queue_.end(), [&](const Job& job) { return job.path == path; });
}

void FileWriter::flush() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !running_; });
}

void FileWriter::flush(const std::string& path) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !pending(path); });
}

bool FileWriter::busy(const std::string& path) const {
    std::lock_guard book(book_->mutex);
    auto found = book_->paths.find(path);
    return found != book_->paths.end() && found->second.settled < found->second.handedOver;
}

void FileWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        running_ = job.path;
        if (holds_ > 0 && passes_ == 0) {
            held_ = job.path;
            changed_.notify_all();
            changed_.wait(lock, [this] { return holds_ == 0 || passes_ > 0; });
            held_.reset();
        }
        if (holds_ > 0) --passes_;
        lock.unlock();

        Status result = success();
        try {
            result = job.work();
        } catch (const std::exception&) {
            // Memory ran out while encoding or copying: the file stays as it was.
            result = files::encodingError(job.path);
        }
        // The content is released here, off the main thread.
        job.work = nullptr;

        lock.lock();
        if (job.answer) {
            job.answer->result = std::move(result);
        } else {
            deliver(job, std::move(result));
        }
        running_.reset();
        changed_.notify_all();
    }
}

void FileWriter::deliver(Job& job, Status result) {
    if (!job.done) {
        std::lock_guard book(book_->mutex);
        auto& state = book_->paths[job.path];
        state.settled = std::max(state.settled, job.sequence);
        return;
    }
    std::weak_ptr<Book> weak = book_;
    postTo(job.context, [weak, path = job.path, sequence = job.sequence, done = std::move(job.done),
                         result = std::move(result)] {
        auto book = weak.lock();
        if (!book) return;
        {
            std::lock_guard lock(book->mutex);
            auto& state = book->paths[path];
            if (sequence <= state.settled) return;
            state.settled = sequence;
        }
        done(result);
    });
    g_main_context_unref(job.context);
    job.context = nullptr;
}

FileWriter::Hold::Hold(FileWriter& writer) : writer_(writer) {
    std::lock_guard lock(writer_.mutex_);
    ++writer_.holds_;
}

FileWriter::Hold::~Hold() {
    release();
}

void FileWriter::Hold::release() {
    {
        std::lock_guard lock(writer_.mutex_);
        if (!held_) return;
        held_ = false;
        if (--writer_.holds_ == 0) writer_.passes_ = 0;
    }
    writer_.changed_.notify_all();
}

std::optional<std::string> FileWriter::Hold::waitForHeldWrite(std::chrono::milliseconds timeout) {
    std::unique_lock lock(writer_.mutex_);
    writer_.changed_.wait_for(lock, timeout, [this] { return writer_.held_.has_value(); });
    return writer_.held_;
}

std::optional<std::string> FileWriter::Hold::runHeldWrite(std::chrono::milliseconds timeout) {
    std::unique_lock lock(writer_.mutex_);
    if (!held_ || !writer_.held_) return std::nullopt;
    ++writer_.passes_;
    writer_.changed_.notify_all();
    writer_.changed_.wait_for(lock, timeout, [this] {
        return writer_.passes_ == 0 && (writer_.held_ || (writer_.queue_.empty() && !writer_.running_));
    });
    return writer_.held_;
}

bool FileWriter::Hold::waitForWaitingCaller(std::chrono::milliseconds timeout) {
    std::unique_lock lock(writer_.mutex_);
    return writer_.changed_.wait_for(lock, timeout, [this] { return writer_.waitingCallers_ > 0; });
}

FileWriter& applicationFileWriter() {
    // Destroyed at exit after the application's own flush: whatever is still handed over is
    // written before the process ends.
    static FileWriter writer;
    return writer;
}

Status replaceKeepingBackup(const std::string& path, const std::string& bytes, std::uint64_t cap) {
    if (auto folder = files::createParentFolder(path); !folder) return folder;
    if (files::pathExists(path)) {
        if (auto copied = files::copyToBackup(path, cap); !copied)
            return copied;
    }
    return files::writeFileAtomically(path, bytes);
}

}  // namespace quenlith
