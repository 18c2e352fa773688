#include "model/private_download_folder.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gio/gio.h>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/logging.hpp"

namespace quenlith {

// What the worker did, handed back to the main loop.
struct PrivateDownloadFolder::Swept {
    std::string path;
    int hold = -1;
    std::size_t removed = 0;
    std::string failure;  // why nothing was removed, when something stopped it
};

namespace {

// The folders the engine makes are never this deep; a deeper tree is left where it ends.
constexpr int kDeepestFolder = 16;

// Removes everything in the folder open at `folder` (links themselves, never what they point to):
// the number of entries removed.
std::size_t removeContents(int folder, int depth) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return 0;
    DIR* entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return 0;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(entries))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.emplace_back(entry->d_name);
    ::closedir(entries);
    std::size_t removed = 0;
    for (const std::string& name : names) {
        if (::unlinkat(folder, name.c_str(), 0) == 0) {
            ++removed;
            continue;
        }
        if (errno != EISDIR || depth >= kDeepestFolder) continue;
        const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (inner < 0) continue;
        removed += removeContents(inner, depth + 1);
        ::close(inner);
        if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0) ++removed;
    }
    return removed;
}

int lock(int fd, int operation) {
    int result = 0;
    while ((result = ::flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return result;
}

}  // namespace

PrivateDownloadFolder::PrivateDownloadFolder(std::string path)
    : path_(std::move(path)), self_(std::make_shared<PrivateDownloadFolder*>(this)) {}

PrivateDownloadFolder::~PrivateDownloadFolder() {
    self_.reset();
    if (hold_ >= 0) ::close(hold_);
}

std::string PrivateDownloadFolder::applicationPath() { return applicationCacheDirectory() + "/Downloads"; }

void PrivateDownloadFolder::sweep(std::function<void()> done) {
    // Once: a later call hears when the first has ended.
    if (sweeping_ || hold_ >= 0) {
        whenReady(std::move(done));
        return;
    }
    sweeping_ = true;
    done_ = std::move(done);
    struct Job {
        std::weak_ptr<PrivateDownloadFolder*> owner;
        Swept result;
    };
    auto* job = new Job{self_, Swept{path_}};
    GTask* task = g_task_new(nullptr, nullptr,
                             [](GObject*, GAsyncResult* result, gpointer data) {
                                 std::unique_ptr<Job> job(static_cast<Job*>(data));
                                 g_task_propagate_boolean(G_TASK(result), nullptr);
                                 if (auto owner = job->owner.lock()) {
                                     (*owner)->swept(job->result);
                                 } else if (job->result.hold >= 0) {
                                     ::close(job->result.hold);
                                 }
                             },
                             job);
    g_task_set_task_data(task, &job->result, nullptr);
    g_task_run_in_thread(task, [](GTask* task, gpointer, gpointer data, GCancellable*) {
        auto& result = *static_cast<Swept*>(data);
        if (auto made = files::createFolder(result.path); !made) {
            result.failure = made.error().message;
        } else if ((result.hold = ::open(result.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) < 0) {
            result.failure = std::strerror(errno);
        } else if (lock(result.hold, LOCK_EX | LOCK_NB) == 0) {
            // No other process uses the folder: what is in it was left by one that has ended.
            result.removed = removeContents(result.hold, 0);
            lock(result.hold, LOCK_SH);
        } else if (errno == EWOULDBLOCK) {
            result.failure = "another process uses it";
            // Waits only while another start empties it.
            lock(result.hold, LOCK_SH);
        } else {
            result.failure = std::string("it cannot be locked: ") + std::strerror(errno);
        }
        g_task_return_boolean(task, TRUE);
    });
    g_object_unref(task);
}

void PrivateDownloadFolder::swept(Swept& result) {
    hold_ = result.hold;
    result.hold = -1;
    sweeping_ = false;
    if (result.removed > 0)
        logInfo(LogCategory::browser, "Removed " + std::to_string(result.removed) +
                                          " files an earlier start left in the private download folder");
    if (!result.failure.empty())
        logInfo(LogCategory::browser, "The private download folder " + quotedForLog(path_) +
                                          " is left as it is: " + result.failure);
    // Nothing of this object is touched once the first of these runs.
    auto waiting = std::move(waiting_);
    waiting_.clear();
    auto done = std::move(done_);
    for (auto& then : waiting) then();
    if (done) done();
}

void PrivateDownloadFolder::whenReady(std::function<void()> then) {
    if (!then) return;
    if (ready()) {
        then();
        return;
    }
    waiting_.push_back(std::move(then));
}

}  // namespace quenlith
