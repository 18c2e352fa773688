#include "model/library_store.hpp"

#include <algorithm>
#include <thread>

#include <glib.h>

#include "model/address.hpp"
#include "model/context_post.hpp"
#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/library_file.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

struct LibraryStore::Loader {
    std::thread worker;
    StartRead read;
};

LibraryStore::LibraryStore(std::optional<std::string> filePath, Scheduler& scheduler, const Clock& clock,
                           FileWriter& writer, Loading loading)
    : fileURL_(filePath ? *filePath : defaultLibraryFilePath()),
      scheduler_(scheduler),
      clock_(clock),
      writer_(writer),
      self_(std::make_shared<LibraryStore*>(this)) {
    // Writes start from what the file holds: the loaded document, or nothing.
    onDisk_ = std::make_shared<OnDisk>(OnDisk{std::make_shared<const LibraryDocument>(), 0});
    if (loading == Loading::later) return;
    loadStarted_ = true;
    load(readAtStart(fileURL_));
    if (writable_ && document_.hasExpiredHistory(clock_.now()))
        update([this](LibraryDocument& document) { document.pruneExpiredHistory(clock_); });
}

LibraryStore::StartRead LibraryStore::readAtStart(const std::string& path) {
    if (!files::pathExists(path)) {
        if (files::pathExists(files::backupPath(path)))
            logError(LogCategory::lifecycle,
                     "library.json is missing but its backup exists; starting with an empty library");
        return std::nullopt;
    }
    files::removeStaleTemporaryFiles(path);
    return readLibraryFile(path);
}

void LibraryStore::load(StartRead read) {
    if (!read) return;
    if (!*read) {
        writable_ = false;
        errorMessage_ = libraryError(LibraryError::readOnly).message;
        logError(LogCategory::lifecycle, "Library data could not be read: " + read->error().message);
        return;
    }
    document_ = std::move(**read);
    onDisk_ = std::make_shared<OnDisk>(OnDisk{std::make_shared<const LibraryDocument>(document_), 0});
}

void LibraryStore::startLoading() {
    if (loadStarted_) return;
    loadStarted_ = true;
    loader_ = std::make_unique<Loader>();
    GMainContext* context = g_main_context_ref_thread_default();
    loader_->worker = std::thread(
        [loader = loader_.get(), path = fileURL_, context, weak = std::weak_ptr<LibraryStore*>(self_)] {
            loader->read = readAtStart(path);
            // The loader lives until its thread is joined, which only the main thread does.
            postTo(context, [weak] {
                if (auto self = weak.lock()) (*self)->finishLoading();
            });
            g_main_context_unref(context);
        });
}

void LibraryStore::finishLoading() const {
    if (!loader_) return;
    // The const accessors wait for the document as if it had been there all along.
    auto* self = const_cast<LibraryStore*>(this);
    std::unique_ptr<Loader> loader = std::move(self->loader_);
    loader->worker.join();
    self->load(std::move(loader->read));
    self->notifyObservers();
    self->pruneExpiredHistoryLater();
}

void LibraryStore::pruneExpiredHistoryLater() {
    if (!writable_ || !document_.hasExpiredHistory(clock_.now())) return;
    // Only the history changes: the background write carries it, on the writer, after the quiet
    // period, so the start never waits for it.
    document_.pruneExpiredHistory(clock_);
    ++generation_;
    scheduleSave();
}

LibraryStore::~LibraryStore() {
    finishLoading();
    flush();
}

void LibraryStore::clearErrorMessage() { setError(std::nullopt); }

void LibraryStore::setError(std::optional<std::string> message) {
    if (message == errorMessage_) return;
    errorMessage_ = std::move(message);
    notifyObservers();
}

void LibraryStore::publishDocument(LibraryDocument document) {
    document_ = std::move(document);
    notifyObservers();
}

void LibraryStore::notifyObservers() {
    if (notification_.pending()) return;
    notification_ = scheduler_.scheduleIdle([this] { changed_.emit(); });
}

bool LibraryStore::update(const std::function<void(LibraryDocument&)>& mutation) {
    finishLoading();
    if (!writable_) {
        setError(libraryError(LibraryError::readOnly).message);
        return false;
    }
    auto copy = std::make_shared<LibraryDocument>(document_);
    mutation(*copy);
    // Growing past a limit is a full library, not a damaged one: say so in the person's terms.
    if ((copy->clips.size() > kMaximumClips && copy->clips.size() > document_.clips.size()) ||
        (copy->scenes.size() > kMaximumScenes && copy->scenes.size() > document_.scenes.size())) {
        setError(localizedFormat("The library is full: it keeps up to %ld saved pages and %ld page groups. "
                                 "Delete some before adding more.",
                                 {static_cast<std::int64_t>(kMaximumClips), static_cast<std::int64_t>(kMaximumScenes)}));
        return false;
    }
    std::uint64_t generation = generation_ + 1;
    // After the write in flight, so the file never goes back to an older document; the copy
    // carries every visit still waiting for its write.
    auto written = writer_.writeAndWait(fileURL_, [&, onDisk = onDisk_]() -> Status {
        auto status = writeLibraryFile(*copy, *onDisk->document, fileURL_);
        if (status) *onDisk = {copy, generation};
        return status;
    });
    if (!written) {
        setError(written.error().message);
        rescheduleUnsaved();
        return false;
    }
    pendingSave_.cancel();
    generation_ = savedGeneration_ = generation;
    saveFailing_ = false;
    publishDocument(*copy);
    setError(std::nullopt);
    return true;
}

bool LibraryStore::recordVisit(std::string_view url, std::string_view title, Date date) {
    finishLoading();
    if (!writable_) {
        setError(libraryError(LibraryError::readOnly).message);
        return false;
    }
    // Only the history changes, and the rules check each part on its own: checking the new
    // history alone spares the main thread the whole document (tens of milliseconds when large).
    LibraryDocument visits{document_.version, {}, {}, document_.history};
    visits.recordVisit(url, title, date);
    if (auto valid = validateLibraryDocument(visits); !valid) {
        setError(valid.error().message);
        return false;
    }
    document_.history = std::move(visits.history);
    ++generation_;
    notifyObservers();
    scheduleSave();
    return true;
}

void LibraryStore::scheduleSave() {
    // The first change starts the quiet period; later ones ride along, so the write is never
    // pushed back by a steady stream of visits.
    if (pendingSave_.pending()) return;
    pendingSave_ = scheduler_.schedule(kSaveDelay, [this] { saveInBackground(); });
}

void LibraryStore::rescheduleUnsaved() {
    // An immediate write drops the waiting history; when it fails, those visits still need a write.
    if (savedGeneration_ < generation_) scheduleSave();
}

void LibraryStore::saveInBackground() {
    if (savedGeneration_ >= generation_) return;
    // Only visits wait for this write, so the history is all it needs: the saved pages and groups
    // are those last written. Copying the rest, encoding and the disk are the worker's.
    auto history = std::make_shared<std::vector<HistoryVisit>>(document_.history);
    const std::uint64_t generation = generation_;
    writer_.write(
        fileURL_,
        [path = fileURL_, onDisk = onDisk_, history, generation]() -> Status {
            const LibraryDocument& base = *onDisk->document;
            auto next = std::make_shared<const LibraryDocument>(
                LibraryDocument{base.version, base.clips, base.scenes, std::move(*history)});
            auto result = writeLibraryFile(*next, base, path);
            // The replaced document is released here, off the main thread.
            if (result) *onDisk = {std::move(next), generation};
            return result;
        },
        [weak = std::weak_ptr<LibraryStore*>(self_), generation](const Status& result) {
            if (auto self = weak.lock()) (*self)->written(generation, result);
        });
}

void LibraryStore::written(std::uint64_t generation, const Status& result) {
    if (!result) {
        // The visits stay published and unsaved: the next change or the final flush writes them.
        logError(LogCategory::lifecycle, "Library data could not be saved: " + result.error().message);
        setError(result.error().message);
        if (!saveFailing_) {
            saveFailing_ = true;
            saveFailed_.emit(result.error().message);
        }
        return;
    }
    savedGeneration_ = std::max(savedGeneration_, generation);
    saveFailing_ = false;
    setError(std::nullopt);
}

bool LibraryStore::flush() {
    finishLoading();
    pendingSave_.cancel();
    if (savedGeneration_ >= generation_ && !writer_.busy(fileURL_)) return true;
    std::uint64_t generation = generation_;
    auto written = writer_.writeAndWait(fileURL_, [&, onDisk = onDisk_]() -> Status {
        if (onDisk->generation >= generation) return success();
        auto snapshot = std::make_shared<const LibraryDocument>(document_);
        auto status = writeLibraryFile(*snapshot, *onDisk->document, fileURL_);
        if (status) *onDisk = {std::move(snapshot), generation};
        return status;
    });
    if (!written) {
        logError(LogCategory::lifecycle, "Library data could not be saved: " + written.error().message);
        setError(written.error().message);
        return false;
    }
    savedGeneration_ = generation;
    saveFailing_ = false;
    setError(std::nullopt);
    return true;
}

bool LibraryStore::hasPendingSave() const {
    finishLoading();
    return pendingSave_.pending() || writer_.busy(fileURL_);
}

bool LibraryStore::save(PageClip clip) {
    clip.modified = clock_.now();
    clip.title = trimmedWhitespaceAndNewlines(clip.title);
    if (clip.title.empty()) {
        std::string host;
        if (auto address = normalizedWebsiteURL(clip.address)) host = uriHost(*address).value_or("");
        clip.title = host.empty() ? localizedString("Saved Page") : host;
    }
    clip.collection = trimmedWhitespaceAndNewlines(clip.collection);
    return update([&clip](LibraryDocument& document) { document.upsert(std::move(clip)); });
}

bool LibraryStore::clearHistory() {
    return update([](LibraryDocument& document) { document.history.clear(); });
}

bool LibraryStore::replaceContents(const LibraryDocument& contents) {
    return update([&contents](LibraryDocument& document) { document = contents; });
}

bool LibraryStore::restorePrevious() {
    finishLoading();
    std::shared_ptr<const LibraryDocument> restored;
    std::uint64_t generation = generation_ + 1;
    // After the write in flight: it may still refresh the backup or replace the file.
    auto done = writer_.writeAndWait(fileURL_, [&, onDisk = onDisk_]() -> Status {
        auto read = readLibraryFile(files::backupPath(fileURL_));
        if (!read) return read.error();
        if (files::pathExists(fileURL_)) {
            if (auto copied = files::copyFileAtomically(fileURL_, files::newRecoveryPath(fileURL_), kLibraryFileSizeCap); !copied)
                return copied;
        }
        auto encoded = encodeLibraryDocument(*read);
        if (!encoded) return libraryError(LibraryError::invalidDocument);
        if (auto written = files::writeFileAtomically(fileURL_, *encoded); !written) return written;
        restored = std::make_shared<const LibraryDocument>(std::move(*read));
        *onDisk = {restored, generation};
        return success();
    });
    if (!done) {
        setError(done.error().message);
        rescheduleUnsaved();
        return false;
    }
    // Visits still waiting for their write go with the document they were added to.
    pendingSave_.cancel();
    generation_ = savedGeneration_ = generation;
    saveFailing_ = false;
    publishDocument(*restored);
    writable_ = true;
    setError(std::nullopt);
    return true;
}

std::string LibraryStore::markdown(const std::vector<PageClip>& clips) {
    std::string text;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        if (i > 0) text += "\n---\n\n";
        const auto& clip = clips[i];
        // A heading is one line: every line break (CR, LF or CRLF) in the title becomes a space.
        std::string title;
        title.reserve(clip.title.size());
        for (std::size_t j = 0; j < clip.title.size(); ++j) {
            char c = clip.title[j];
            if (c == '\r') {
                if (j + 1 < clip.title.size() && clip.title[j + 1] == '\n') ++j;
                title += ' ';
            } else if (c == '\n') {
                title += ' ';
            } else {
                title += c;
            }
        }
        text += "# " + title + "\n\n";
        if (!clip.address.empty()) text += clip.address + "\n\n";
        text += clip.text;
        text += "\n";
    }
    return text;
}

Result<LibraryDocument> LibraryStore::validate(const LibraryDocument& document) {
    if (auto valid = validateLibraryDocument(document); !valid) return valid.error();
    return document;
}

}  // namespace quenlith
