#include "app/backup_transfer.hpp"

#include <gio/gio.h>

#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/transfer_document.hpp"
#include "model/web_app_store.hpp"

namespace quenlith {

namespace {

constexpr const char* kBookmarksFileName = "Quenlith-bookmarks.md";

std::string messageOr(const std::optional<std::string>& message) {
    return message && !message->empty() ? *message : localizedString("Please try again.");
}

// Runs `work` on a GLib worker thread and hands its result to `done` on this thread's main
// context: large files are read, decoded and written without holding up the windows.
template <typename T>
void runOnWorker(std::function<T()> work, std::function<void(T)> done) {
    struct Job {
        std::function<T()> work;
        std::function<void(T)> done;
        std::optional<T> result;
    };
    GTask* task = g_task_new(
        nullptr, nullptr,
        [](GObject*, GAsyncResult* result, gpointer) {
            auto* finished = static_cast<Job*>(g_task_get_task_data(G_TASK(result)));
            finished->done(std::move(*finished->result));
        },
        nullptr);
    g_task_set_task_data(task, new Job{std::move(work), std::move(done), std::nullopt},
                         [](gpointer job) { delete static_cast<Job*>(job); });
    g_task_run_in_thread(task, [](GTask* running, gpointer, gpointer data, GCancellable*) {
        auto* job = static_cast<Job*>(data);
        job->result.emplace(job->work());
        g_task_return_boolean(running, TRUE);
    });
    g_object_unref(task);
}

}  // namespace

void writeExportInBackground(const std::string& path, std::string bytes, std::function<void(Status)> done) {
    // Temporary file, flush and rename, like every file of ours: a crash never leaves half a backup.
    applicationFileWriter().write(
        path, [path, bytes = std::move(bytes)] { return files::writeFileAtomically(path, bytes); },
        [done = std::move(done)](const Status& result) { done(result); });
}

BackupTransfer::BackupTransfer(WebAppStore& websites, LibraryStore& library, BackupDialogs dialogs,
                               ExportWriter writer)
    : websites_(websites),
      library_(library),
      dialogs_(std::move(dialogs)),
      writer_(std::move(writer)),
      self_(std::make_shared<BackupTransfer*>(this)) {}

// --- export -----------------------------------------------------------------------------------

void BackupTransfer::exportBackup() {
    auto encoded = encodeTransferDocument(TransferDocument(websites_.profiles(), library_.document()));
    if (!encoded) {
        dialogs_.alert(AlertKind::error, localizedString("Could not save file"), files::encodingError(kBackupFileName).message);
        return;
    }
    offerFile(kBackupFileName, BackupDialogs::FileType::json, std::move(*encoded));
}

void BackupTransfer::exportBookmarks(const std::vector<PageClip>& clips) {
    offerFile(kBookmarksFileName, BackupDialogs::FileType::markdown, LibraryStore::markdown(clips));
}

void BackupTransfer::offerFile(const std::string& name, BackupDialogs::FileType type, std::string bytes) {
    // The chosen file is written even when this is gone by then; only the alert closure is kept.
    auto bytesHeld = std::make_shared<std::string>(std::move(bytes));
    dialogs_.chooseSaveFile(
        name, type, [writer = writer_, alert = dialogs_.alert, bytesHeld](std::optional<std::string> path) {
            if (!path) return;
            writer(*path, std::move(*bytesHeld), [alert](Status written) {
                if (!written) alert(AlertKind::error, localizedString("Could not save file"), written.error().message);
            });
        });
}

// --- import -----------------------------------------------------------------------------------

void BackupTransfer::chooseBackupToImport() {
    dialogs_.chooseBackupFile(
        [weak = std::weak_ptr<BackupTransfer*>(self_)](std::optional<std::string> path) {
            auto self = weak.lock();
            if (self && path) (*self)->importBackup(*path);
        });
}

void BackupTransfer::importFailed(const std::string& message) const {
    dialogs_.alert(AlertKind::error, localizedString("Import failed"), message);
}

void BackupTransfer::importBackup(const std::string& path) {
    runOnWorker<Result<TransferDocument>>([path] { return readTransferFile(path); },
                                          [weak = std::weak_ptr<BackupTransfer*>(self_)](auto document) {
                                              if (auto self = weak.lock())
                                                  (*self)->askToImport(std::move(document));
                                          });
}

void BackupTransfer::askToImport(Result<TransferDocument> document) {
    if (!document) return importFailed(document.error().message);
    auto mergedWebsites = document->mergeWebsites(websites_.profiles());
    auto mergedLibrary = document->mergeLibrary(library_.document());
    if (auto valid = LibraryStore::validate(mergedLibrary); !valid)
        return importFailed(valid.error().message);

    auto added = [](std::size_t merged, std::size_t current) {
        return static_cast<std::int64_t>(merged - current);
    };
    const std::int64_t websites = added(mergedWebsites.size(), websites_.profiles().size());
    const std::int64_t bookmarks = added(mergedLibrary.clips.size(), library_.document().clips.size());
    const std::int64_t groups = added(mergedLibrary.scenes.size(), library_.document().scenes.size());
    std::string message = localizedFormat(
        "Add %@, %@ and %@. Existing entries are kept. Imported shortcuts, startup actions and tray icons "
        "stay "
        "off. Cookies and browsing history are not imported.",
        {localizedPlural("%ld website", "%ld websites", websites),
         localizedPlural("%ld bookmark", "%ld bookmarks", bookmarks),
         localizedPlural("%ld page group", "%ld page groups", groups)});
    // Only the document waits for the answer; the stores are read again when it comes.
    auto held = std::make_shared<TransferDocument>(std::move(*document));
    dialogs_.ask(localizedString("Import Backup"), message, localizedString("Import"), false,
                 [weak = std::weak_ptr<BackupTransfer*>(self_), held](bool confirmed) {
                     if (auto self = weak.lock()) (*self)->completeImport(confirmed, *held);
                 });
}

void BackupTransfer::completeImport(bool confirmed, const TransferDocument& document) {
    if (!confirmed) return;
    // Merged again: the stores may have changed while the question was open.
    std::vector<WebAppProfile> previous = websites_.profiles();
    if (!websites_.writable() || !websites_.replaceProfiles(document.mergeWebsites(previous)))
        return importFailed(messageOr(websites_.errorMessage()));

    // Merged inside the transaction, so visits recorded meanwhile are kept.
    if (library_.update(
            [&document](LibraryDocument& current) { current = document.mergeLibrary(current); })) {
        dialogs_.alert(AlertKind::information, localizedString("Import Complete"),
                       localizedString("Your websites, bookmarks and page groups are ready."));
        return;
    }
    std::string message = messageOr(library_.errorMessage());
    bool rolledBack = websites_.writable() && websites_.replaceProfiles(previous);
    if (!rolledBack) {
        logError(LogCategory::lifecycle, "Imported websites could not be put back after the library failed");
        message += "\n" + localizedString(
                              "Some websites were imported. Restore the previous website backup if needed.");
    }
    importFailed(message);
}

// --- restore previous -------------------------------------------------------------------------

bool BackupTransfer::canRestorePreviousWebsites() const {
    return files::pathExists(files::backupPath(websites_.persistence().fileURL()));
}

bool BackupTransfer::canRestorePreviousLibrary() const {
    return files::pathExists(files::backupPath(library_.fileURL()));
}

void BackupTransfer::restorePreviousWebsites() {
    confirmRestore(
        localizedString("Restore Previous Websites"),
        localizedString(
            "Restore the previous website snapshot? Current data is preserved in a recovery file."),
        [](BackupTransfer& self) -> std::optional<std::string> {
            if (self.websites_.restorePrevious()) return std::nullopt;
            return messageOr(self.websites_.errorMessage());
        });
}

void BackupTransfer::restorePreviousLibrary() {
    confirmRestore(
        localizedString("Restore Previous Saved Pages"),
        localizedString(
            "Restore the previous library snapshot? Current data is preserved in a recovery file."),
        [](BackupTransfer& self) -> std::optional<std::string> {
            if (self.library_.restorePrevious()) return std::nullopt;
            return messageOr(self.library_.errorMessage());
        });
}

void BackupTransfer::confirmRestore(const std::string& title, const std::string& question,
                                    std::function<std::optional<std::string>(BackupTransfer&)> restore) {
    dialogs_.ask(localizedString("Confirm Change"), question, localizedString("Continue"), true,
                 [weak = std::weak_ptr<BackupTransfer*>(self_), title, restore](bool confirmed) {
                     auto self = weak.lock();
                     if (!self || !confirmed) return;
                     if (auto failure = restore(**self)) (*self)->dialogs_.alert(AlertKind::error, title, *failure);
                 });
}

}  // namespace quenlith
