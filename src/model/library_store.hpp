#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sigc++/signal.h>

#include "model/clock.hpp"
#include "model/library_document.hpp"
#include "model/result.hpp"
#include "model/scheduler.hpp"

namespace quenlith {

// The one owner of the library while the application runs. Every change is a transaction: the
// mutation is applied to a copy, the copy is validated and written to library.json, and only then
// published. A store whose file cannot be read at start is read-only until a restore succeeds.
class LibraryStore {
public:
    // Loads `filePath` (default: library.json in the application folder). Observers are told of
    // changes through `scheduler` at its next idle turn; "now" comes from `clock`.
    explicit LibraryStore(std::optional<std::string> filePath = std::nullopt,
                          Scheduler& scheduler = mainLoopScheduler(), const Clock& clock = systemClock());
    LibraryStore(const LibraryStore&) = delete;
    LibraryStore& operator=(const LibraryStore&) = delete;

    const LibraryDocument& document() const { return document_; }
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    bool writable() const { return writable_; }
    const std::string& fileURL() const { return fileURL_; }
    // Views that have shown the message may dismiss it.
    void clearErrorMessage();

    // One transaction; false (with errorMessage set) when nothing changed.
    bool update(const std::function<void(LibraryDocument&)>& mutation);
    // Cleans the clip (modification time, trimmed title with a fallback, trimmed collection) and
    // inserts or replaces it.
    bool save(PageClip clip);
    bool clearHistory();
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

private:
    void setError(std::optional<std::string> message);
    void publishDocument(LibraryDocument document);
    void notifyObservers();

    std::string fileURL_;
    Scheduler& scheduler_;
    const Clock& clock_;
    LibraryDocument document_;
    std::optional<std::string> errorMessage_;
    bool writable_ = true;
    sigc::signal<void()> changed_;
    ScheduledTask notification_;
};

}  // namespace quenlith
