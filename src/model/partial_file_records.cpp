#include "model/partial_file_records.hpp"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gio/gio.h>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/logging.hpp"
#include "model/own_folder.hpp"

namespace quenlith {

namespace {

// Far more than the records of every download a person could have running at once.
constexpr std::uint64_t kJournalSizeCap = 1'000'000;

// What stands at a recorded path, with its folder open when it is there: the folder is reached
// from the root without following a link, and the file is ours only when it is the very file
// recorded.
struct Observed {
    RecordedFileState state;
    files::FolderHandle folder;
    std::string name;
};

Observed observe(const std::string& path, const std::optional<FileIdentity>& identity) {
    g_autofree char* folderPath = g_path_get_dirname(path.c_str());
    g_autofree char* name = g_path_get_basename(path.c_str());
    int failure = 0;
    files::FolderHandle folder = files::openFolderWithoutLinks(folderPath, &failure);
    if (!folder) {
        switch (failure) {
        case ENOENT:
        case ENOTDIR: return {RecordedFileState::folderAbsent, {}, name};
        // A link on the way: the folder there now is not the one the file was made in.
        case ELOOP: return {RecordedFileState::somethingElse, {}, name};
        default: return {RecordedFileState::unreachable, {}, name};
        }
    }
    struct stat found {};
    if (::fstatat(folder.get(), name, &found, AT_SYMLINK_NOFOLLOW) != 0)
        return {errno == ENOENT ? RecordedFileState::absent : RecordedFileState::unreachable, {}, name};
    const bool same = identity && *identity == FileIdentity::of(found);
    const bool ours = S_ISREG(found.st_mode) && found.st_uid == ::geteuid() && same;
    return {ours ? RecordedFileState::ownPartialFile : RecordedFileState::somethingElse, std::move(folder), name};
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
        // Too large to copy, or unreadable: the file itself is moved aside, never replaced unkept.
        auto moved = files::moveAside(path_, files::kUnreadableCopy);
        logError(LogCategory::browser,
                 "The record of partial downloads cannot be read (" + text.error().message +
                     "), so no partial file is removed on its account; " +
                     (moved ? "it is kept as " + quotedForLog(*moved)
                            : "it could not be kept aside, so it is not written over: " + moved.error().message));
        keepInPlace(moved);
        return;
    }
    auto journal = PartialFileJournal::parse(*text);
    if (!journal) {
        auto copy = files::keepCopyAside(path_, kJournalSizeCap, files::kUnreadableCopy);
        logError(LogCategory::browser,
                 "The record of partial downloads " + quotedForLog(path_) + " is damaged (" +
                     journal.error().message + "), so no partial file is removed on its account; " +
                     (copy ? "it is kept as " + quotedForLog(*copy)
                           : "it could not be kept aside, so it is not written over: " + copy.error().message));
        keepInPlace(copy);
        return;
    }
    journal_ = std::move(*journal);
}

void PartialFileRecords::keepInPlace(const Result<std::string>& aside) {
    // A journal there that could not be kept aside is never written over: every record fails, so
    // no partial file is made that a later start could not find. Nothing there: written afresh.
    // A journal that cannot be looked at counts as there.
    if (!aside && files::pathExists(path_))
        keptInPlace_ = aside.error();
    else
        replaceDamaged_ = true;
}

Status PartialFileRecords::writeLocked() {
    if (keptInPlace_) return *keptInPlace_;
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

void PartialFileRecords::identify(const std::string& path, FileIdentity identity) {
    std::lock_guard lock(mutex_);
    loadLocked();
    journal_.identify(path, identity);
    if (auto written = writeLocked(); !written)
        logError(LogCategory::browser, "The record of partial downloads could not be updated: " + written.error().message);
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
        Observed observed = observe(path, journal_.identityOf(path));
        const RecordedFileState state = observed.state;
        switch (PartialFileJournal::decide(path, state)) {
        case RecordOutcome::remove:
            // By its name in the folder reached above: no link between the check and the removal.
            if (::unlinkat(observed.folder.get(), observed.name.c_str(), 0) != 0 && errno != ENOENT) {
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
