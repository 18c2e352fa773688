#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/page_clip.hpp"
#include "model/result.hpp"
#include "ui/alert.hpp"

namespace quenlith {

class LibraryStore;
class WebAppStore;
struct TransferDocument;

// What backups ask of the person: where to save or which file to open, one question, and
// messages. The application answers with file choosers and dialogs (backup_dialogs.hpp); tests
// answer directly. Every answer may come later, or never.
struct BackupDialogs {
    enum class FileType { json, markdown };
    using Chosen = std::function<void(std::optional<std::string> path)>;

    // A place for a new file named `suggestedName`; nothing when cancelled.
    std::function<void(const std::string& suggestedName, FileType type, Chosen chosen)> chooseSaveFile;
    // One backup file to open; nothing when cancelled.
    std::function<void(Chosen chosen)> chooseBackupFile;
    // `message` under `title`, answered true by the `confirm` button and false by "Cancel"; a
    // `destructive` confirmation replaces data and is shown as such.
    std::function<void(const std::string& title, const std::string& message, const std::string& confirm,
                       bool destructive, std::function<void(bool)> answer)>
        ask;
    std::function<void(AlertKind kind, const std::string& title, const std::string& message)> alert;
};

// Writes `bytes` to `path` in one step without holding up the main loop, then reports on it.
using ExportWriter =
    std::function<void(const std::string& path, std::string bytes, std::function<void(Status)> done)>;
// The application's writer: the atomic write of our own files, on the application's file writer.
void writeExportInBackground(const std::string& path, std::string bytes, std::function<void(Status)> done);

// The backup commands of the library window and the application menu: export of the backup and
// of bookmarks as Markdown, import with its question, and "Restore Previous" of both files. An
// import saves the websites before the library and puts the websites back when the library
// cannot take its part; a failed import leaves both stores as they were. Main thread only.
class BackupTransfer {
public:
    BackupTransfer(WebAppStore& websites, LibraryStore& library, BackupDialogs dialogs,
                   ExportWriter writer = writeExportInBackground);
    BackupTransfer(const BackupTransfer&) = delete;
    BackupTransfer& operator=(const BackupTransfer&) = delete;

    // Offers "Quenlith-backup.json" with the current websites and library.
    void exportBackup();
    // Offers "Quenlith-bookmarks.md" with the Markdown of `clips` (also of none).
    void exportBookmarks(const std::vector<PageClip>& clips);
    // Lets the person choose a backup, then imports it.
    void chooseBackupToImport();
    // Reads and checks the backup at `path` off the main thread, then asks with the counts it
    // would add.
    void importBackup(const std::string& path);
    // Merges `document` into the stores as they are now, when the person agreed.
    void completeImport(bool confirmed, const TransferDocument& document);

    // Whether each store's previous file (its ".backup") is there to restore.
    bool canRestorePreviousWebsites() const;
    bool canRestorePreviousLibrary() const;
    // Ask, then replace the file by its previous version (the current one is kept as a recovery
    // copy); a failure is shown.
    void restorePreviousWebsites();
    void restorePreviousLibrary();

private:
    void offerFile(const std::string& name, BackupDialogs::FileType type, std::string bytes);
    void askToImport(Result<TransferDocument> document);
    void importFailed(const std::string& message) const;
    // Asks `question`; after "Continue", runs `restore` and shows a failure under `title`.
    void confirmRestore(const std::string& title, const std::string& question,
                        std::function<std::optional<std::string>(BackupTransfer&)> restore);

    WebAppStore& websites_;
    LibraryStore& library_;
    BackupDialogs dialogs_;
    ExportWriter writer_;
    // Answers that arrive after this is gone do nothing.
    std::shared_ptr<BackupTransfer*> self_;
};

}  // namespace quenlith
