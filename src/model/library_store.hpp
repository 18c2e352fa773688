#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sigc++/signal.h>

#include "model/clock.hpp"
#include "model/library_document.hpp"
#include "model/result.hpp"
#include "model/scheduler.hpp"

namespace quenlith {

class FileWriter;
FileWriter& applicationFileWriter();

// The one owner of the library while the application runs. Every change is a transaction: the
// mutation is applied to a copy, the copy is validated and written to library.json, and only then
// published. Recorded visits are the exception: they come with every page load, so they are
// published at once and written together after a short quiet period, on a worker thread. A store
// whose file cannot be read at start is read-only until a restore succeeds.
class LibraryStore {
public:
    // Quiet period between a recorded visit and the write that carries it (and the visits after
    // it); later visits do not push the write back.
    static constexpr std::chrono::milliseconds kSaveDelay{400};

    // Loads `filePath` (default: library.json in the application folder). Observers are told of
    // changes through `scheduler` at its next idle turn; "now" comes from `clock`; the file is
    // written through `writer`.
    // With `Loading::later` the store starts empty and reads nothing until startLoading(); a store
    // loaded at once ignores startLoading().
    enum class Loading { now, later };
    explicit LibraryStore(std::optional<std::string> filePath = std::nullopt,
                          Scheduler& scheduler = mainLoopScheduler(), const Clock& clock = systemClock(),
                          FileWriter& writer = applicationFileWriter(), Loading loading = Loading::now);
    // Writes what is still unsaved before it goes.
    ~LibraryStore();
    LibraryStore(const LibraryStore&) = delete;
    LibraryStore& operator=(const LibraryStore&) = delete;

    // Reads and decodes the file on a worker thread and hands the document to the main loop: the
    // first window does not wait for a large library. Expired visits are then dropped and written
    // on the file writer; a file whose content stays is never rewritten.
    void startLoading();
    // True from startLoading() until the document arrives. Every call below that needs the
    // document waits for it, so the store never answers from the empty stand-in.
    bool loading() const { return loader_ != nullptr; }

    const LibraryDocument& document() const {
        finishLoading();
        return document_;
    }
    const std::optional<std::string>& errorMessage() const {
        finishLoading();
        return errorMessage_;
    }
    bool writable() const {
        finishLoading();
        return writable_;
    }
    const std::string& fileURL() const { return fileURL_; }
    // Views that have shown the message may dismiss it.
    void clearErrorMessage();

    // One transaction, written at once: after the background write in flight, and carrying the
    // visits still waiting for theirs. False (with errorMessage set) when nothing changed.
    bool update(const std::function<void(LibraryDocument&)>& mutation);
    // Cleans the clip (modification time, trimmed title with a fallback, trimmed collection) and
    // inserts or replaces it.
    bool save(PageClip clip);
    bool clearHistory();
    // Records a page visit (LibraryDocument::recordVisit) without touching the disk: the visit is
    // checked and published now, and written kSaveDelay later off the main thread. False (with
    // errorMessage set) when the store is read-only or the visit breaks a rule. A failed write
    // sets errorMessage; the visits stay and go with the next write.
    bool recordVisit(std::string_view url, std::string_view title, Date date);
    // Writes every unsaved change now, after the write in flight, and waits for it. For shutdown.
    bool flush();
    // True while changes wait for their write or a write has not reported back yet.
    bool hasPendingSave() const;
    // Replaces the whole document (backup import).
    bool replaceContents(const LibraryDocument& contents);
    // Replaces library.json by library.json.backup, keeping a recovery copy of the current file.
    // Allowed while read-only: it is the way out.
    bool restorePrevious();

    // The Markdown text of the given pages, in order (no file access).
    static std::string markdown(const std::vector<PageClip>& clips);
    // The document unchanged when it meets every rule, else LibraryError::invalidDocument.
    static Result<LibraryDocument> validate(const LibraryDocument& document);

    // Emitted on the main loop after `document` or `errorMessage` changed (never inside an
    // operation); several changes in one turn are told once.
    sigc::signal<void()>& signal_changed() { return changed_; }
    // Emitted on the main loop with the message when a background write of recorded visits fails,
    // once until a write succeeds again: nobody waits for that write, so the person is told
    // through this. The visits stay and go with the next change's write and the final save.
    sigc::signal<void(const std::string&)>& signal_saveFailed() { return saveFailed_; }

private:
    struct Loader;
    // What reading the file at start gave: nothing (no file), the document, or the failure.
    using StartRead = std::optional<Result<LibraryDocument>>;
    static StartRead readAtStart(const std::string& path);
    void load(StartRead read);
    // Waits for the loader and takes its document; nothing when no load runs. Answers of the
    // const accessors depend on it, so it counts as part of reading them.
    void finishLoading() const;
    void pruneExpiredHistoryLater();
    void setError(std::optional<std::string> message);
    void publishDocument(LibraryDocument document);
    void notifyObservers();
    void scheduleSave();
    void saveInBackground();
    void written(std::uint64_t generation, const Status& result);
    void rescheduleUnsaved();

    // The document in library.json as far as this process knows, with the generation it holds:
    // the held document of the backup rule and the base of every background write. Read and
    // replaced only by writes on the writer's worker.
    struct OnDisk {
        std::shared_ptr<const LibraryDocument> document;
        std::uint64_t generation = 0;
    };

    std::string fileURL_;
    Scheduler& scheduler_;
    const Clock& clock_;
    LibraryDocument document_;
    std::optional<std::string> errorMessage_;
    bool writable_ = true;
    sigc::signal<void()> changed_;
    sigc::signal<void(const std::string&)> saveFailed_;
    // Whether the last write of unsaved changes failed and was told.
    bool saveFailing_ = false;
    ScheduledTask notification_;
    ScheduledTask pendingSave_;
    // Every published change counts one generation; the file holds `savedGeneration_`.
    std::uint64_t generation_ = 0;
    std::uint64_t savedGeneration_ = 0;
    FileWriter& writer_;
    std::shared_ptr<OnDisk> onDisk_;
    // Completions of background writes hold it weakly: they do nothing once the store is gone.
    std::shared_ptr<LibraryStore*> self_;
    std::unique_ptr<Loader> loader_;
    bool loadStarted_ = false;
};

}  // namespace quenlith
