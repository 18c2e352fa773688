#include "model/private_download_folder.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gio/gio.h>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/own_folder.hpp"

namespace quenlith {

// What the worker did, handed back to the main loop.
struct PrivateDownloadFolder::Swept {
    std::string base;
    std::string name;
    std::string path;  // the folder used, once one is held
    int hold = -1;
    std::size_t removed = 0;
    std::vector<std::string> leftAlone;  // names of ours something else has taken, and why
    std::string failure;  // why nothing was removed, when something stopped it
};

namespace {

// The names the folder may have: the one asked for, then names of ours to use when something else
// took it.
constexpr int kNames = 9;
std::string nameAt(const std::string& name, int index) {
    return index == 0 ? name : name + "-" + std::to_string(index + 1);
}

bool takenByAnother(const Error& error) {
    return error.code == files::kLinkedFolder || error.code == files::kNotOwnFolder;
}

// The first name of ours that is, or can be made into, a real folder of ours, opened.
struct Usable {
    Result<files::FolderHandle> folder = Error{};
    std::string path;
    int systemError = 0;
    std::vector<std::string> leftAlone;
};
Usable openUsable(const std::string& base, const std::string& name) {
    Usable usable;
    for (int index = 0; index < kNames; ++index) {
        usable.path = base + "/" + nameAt(name, index);
        usable.folder = files::openOwnFolder(base, nameAt(name, index), files::MissingFolder::made, &usable.systemError);
        if (usable.folder || !takenByAnother(usable.folder.error())) return usable;
        usable.leftAlone.push_back(quotedForLog(usable.path) + " (" + usable.folder.error().message + ")");
    }
    return usable;
}

std::string folderOf(const std::string& path) {
    g_autofree char* folder = g_path_get_dirname(path.c_str());
    return folder;
}

std::string nameOf(const std::string& path) {
    g_autofree char* name = g_path_get_basename(path.c_str());
    return name;
}

int lock(int fd, int operation) {
    int result = 0;
    while ((result = ::flock(fd, operation)) != 0 && errno == EINTR) {
    }
    return result;
}

}  // namespace

PrivateDownloadFolder::PrivateDownloadFolder(std::string path)
    : base_(folderOf(path)), name_(nameOf(path)), path_(std::move(path)),
      self_(std::make_shared<PrivateDownloadFolder*>(this)) {}

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
    auto* job = new Job{self_, Swept{base_, name_}};
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
        Usable usable = openUsable(result.base, result.name);
        result.leftAlone = std::move(usable.leftAlone);
        if (!usable.folder) {
            result.failure = usable.folder.error().message;
        } else if (result.path = usable.path, result.hold = usable.folder->release();
                   lock(result.hold, LOCK_EX | LOCK_NB) == 0) {
            // No other process uses the folder: what is in it was left by one that has ended.
            result.removed = files::removeContents(result.hold);
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
    if (!result.path.empty()) path_ = result.path;
    for (const std::string& name : result.leftAlone)
        logError(LogCategory::browser, "The private download folder " + name +
                                           " is not a folder of this application's own: it is left as it is");
    if (!result.leftAlone.empty() && hold_ >= 0)
        logInfo(LogCategory::browser, "Downloads are written into " + quotedForLog(path_) + " instead");
    if (result.removed > 0)
        logInfo(LogCategory::browser, "Removed " + std::to_string(result.removed) +
                                          " files an earlier start left in the private download folder");
    if (!result.failure.empty())
        logInfo(LogCategory::browser, "The private download folder " + quotedForLog(path_) +
                                          " is not emptied: " + result.failure);
    // Nothing of this object is touched once the first of these runs.
    auto waiting = std::move(waiting_);
    waiting_.clear();
    auto done = std::move(done_);
    for (auto& then : waiting) then();
    if (done) done();
}

Result<std::string> PrivateDownloadFolder::prepare() {
    // Told with the whole path: the person finds the folder by it.
    auto failure = [](const Error& error, const std::string& path, int systemError) {
        return Error{error.code, localizedFormat("The folder “%@” could not be created: %@", {path, g_strerror(systemError)})};
    };
    // The name the sweep chose, or the first usable one; a link put there since is refused.
    int systemError = 0;
    auto folder = files::openOwnFolder(base_, nameOf(path_), files::MissingFolder::made, &systemError);
    if (folder) return path_;
    if (hold_ >= 0 || !takenByAnother(folder.error())) return failure(folder.error(), path_, systemError);
    Usable usable = openUsable(base_, name_);
    for (const std::string& name : usable.leftAlone)
        logError(LogCategory::browser, "The private download folder " + name +
                                           " is not a folder of this application's own: it is left as it is");
    if (!usable.folder) return failure(usable.folder.error(), usable.path, usable.systemError);
    path_ = usable.path;
    return path_;
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
