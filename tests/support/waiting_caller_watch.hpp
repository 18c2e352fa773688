#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "model/file_writer.hpp"

namespace quenlith::test {

// While it lives, watches a held writer for a caller that waits for the disk: such a caller is
// let go (the hold is released) and remembered, so a change that waits shows as a failure of the
// test, never as a hang.
class WaitingCallerWatch {
public:
    explicit WaitingCallerWatch(FileWriter::Hold& hold)
        : watcher_([this, &hold] {
              while (!finished_ && !waited_)
                  if (hold.waitForWaitingCaller(std::chrono::milliseconds(20))) waited_ = true, hold.release();
          }) {}
    ~WaitingCallerWatch() { stop(); }
    WaitingCallerWatch(const WaitingCallerWatch&) = delete;
    WaitingCallerWatch& operator=(const WaitingCallerWatch&) = delete;

    // Stops watching; whether some caller waited meanwhile.
    bool stop() {
        finished_ = true;
        if (watcher_.joinable()) watcher_.join();
        return waited_;
    }

private:
    std::atomic<bool> finished_ = false;
    std::atomic<bool> waited_ = false;
    std::thread watcher_;
};

}  // namespace quenlith::test
