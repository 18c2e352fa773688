#include "model/partial_file_records.hpp"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gio/gio.h>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/logging.hpp"

namespace quenlith {

namespace {

// Far more than the records of every download a person could have running at once.
constexpr std::uint64_t kJournalSizeCap = 1'000'000;

RecordedFileState observe(const std::string& path) {
    struct stat found {};
    if (::lstat(path.c_str(), &found) == 0)
        return S_ISREG(found.st_mode) && found.st_uid == ::geteuid() ? RecordedFileState::ownPartialFile
                                                                     : RecordedFileState::somethingElse;
    if (errno != ENOENT && errno != ENOTDIR) return RecordedFileState::unreachable;
    g_autofree char* folder = g_path_get_dirname(path.c_str());
    struct stat folderState {};
    if (::stat(folder, &folderState) == 0) return RecordedFileState::absent;
    return errno == ENOENT || errno == ENOTDIR ? RecordedFileState::folderAbsent : RecordedFileState::unreachable;
}

// A recorded path for a log line: its file name, and its folder shortened.
std::string shown(const std::string& path) {
    g_autofree char* name = g_path_get_basename(path.c_str());
    g_autofree char* folder = g_path_get_dirname(path.c_str());
    return quotedForLog(name) + " in " + quotedForLog(folder);
}

}  // namespace

PartialFileRecords::PartialFileRecords(std::string journalPath) : path_(std::move(journalPath)) {}

std::string PartialFileRecords::applicationJournalPath() {
    return applicationDataDirectory() + "/partial-downloads.json";
}

void PartialFileRecords::loadLocked() {
    if (loaded_) return;
    loaded_ = true;
    files::removeStaleTemporaryFiles(path_);
    auto text = files::readWholeFile(path_, kJournalSizeCap);
    if (!text) {
        if (text.error().code == files::kNoSuchFile) return;
        logError(LogCategory::browser, "The record of partial downloads cannot be read, so no partial file is "
                                       "removed on its account: " + text.error().message);
        replaceDamaged_ = true;
        return;
    }
    auto journal = PartialFileJournal::parse(*text);
    if (!journal) {
        auto copy = files::keepCopyAside(path_, kJournalSizeCap, files::kUnreadableCopy);
        logError(LogCategory::browser,
                 "The record of partial downloads " + quotedForLog(path_) + " is damaged (" +
                     journal.error().message + "), so no partial file is removed on its account; " +
                     (copy ? "it is kept as " + quotedForLog(*copy) : "it could not be kept aside: " + copy.error().message));
        replaceDamaged_ = true;
        return;
    }
    journal_ = std::move(*journal);
}

Status PartialFileRecords::writeLocked() {
    auto written = files::writeFileAtomically(path_, journal_.serialized());
    if (written) replaceDamaged_ = false;
    return written;
}

Status PartialFileRecords::record(const std::string& path) {
    std::lock_guard lock(mutex_);
    loadLocked();
    if (!journal_.record(path)) return files::writeError(path, EINVAL);
    auto written = writeLocked();
    if (!written) journal_.forget(path);
    return written;
}

void PartialFileRecords::forget(const std::string& path) {
    std::lock_guard lock(mutex_);
    loadLocked();
    journal_.forget(path);
    if (auto written = writeLocked(); !written)
        logError(LogCategory::browser, "The record of partial downloads could not be updated: " + written.error().message);
}

void PartialFileRecords::sweepEarlier() {
    std::lock_guard lock(mutex_);
    loadLocked();
    bool changed = replaceDamaged_;
    const std::vector<std::string> earlier(journal_.earlier().begin(), journal_.earlier().end());
    for (const std::string& path : earlier) {
        const RecordedFileState state = observe(path);
        switch (PartialFileJournal::decide(path, state)) {
        case RecordOutcome::remove:
            if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
                const std::string reason = std::strerror(errno);
                logError(LogCategory::browser, "The partial download " + shown(path) +
                                                   " left by an earlier start could not be removed: " + reason);
                break;
            }
            logInfo(LogCategory::browser, "Removed the partial download " + shown(path) + " left by an earlier start");
            journal_.forget(path);
            changed = true;
            break;
        case RecordOutcome::forget:
            if (state != RecordedFileState::absent)
                logInfo(LogCategory::browser, "Left " + shown(path) +
                                                  " alone: it is not a partial download of this application");
            journal_.forget(path);
            changed = true;
            break;
        case RecordOutcome::keep:
            logInfo(LogCategory::browser, "The partial download " + shown(path) +
                                              " cannot be reached now; it is looked for again at the next start");
            break;
        }
    }
    if (!changed) return;
    if (auto written = writeLocked(); !written)
        logError(LogCategory::browser, "The record of partial downloads could not be updated: " + written.error().message);
}

void PartialFileRecords::sweepInBackground(std::shared_ptr<PartialFileRecords> records, std::function<void()> done) {
    using Done = std::function<void()>;
    GTask* task = g_task_new(nullptr, nullptr,
                             [](GObject*, GAsyncResult* result, gpointer data) {
                                 std::unique_ptr<Done> done(static_cast<Done*>(data));
                                 g_task_propagate_boolean(G_TASK(result), nullptr);
                                 if (*done) (*done)();
                             },
                             new Done(std::move(done)));
    g_task_set_task_data(task, new std::shared_ptr<PartialFileRecords>(std::move(records)),
                         [](gpointer data) { delete static_cast<std::shared_ptr<PartialFileRecords>*>(data); });
    g_task_run_in_thread(task, [](GTask* task, gpointer, gpointer data, GCancellable*) {
        (*static_cast<std::shared_ptr<PartialFileRecords>*>(data))->sweepEarlier();
        g_task_return_boolean(task, TRUE);
    });
    g_object_unref(task);
}

}  // namespace quenlith
