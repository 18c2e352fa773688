#include "model/library_store.hpp"

#include <glib.h>

#include "model/address.hpp"
#include "model/file_store.hpp"
#include "model/library_file.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

LibraryStore::LibraryStore(std::optional<std::string> filePath, Scheduler& scheduler, const Clock& clock)
    : fileURL_(filePath ? *filePath : defaultLibraryFilePath()), scheduler_(scheduler), clock_(clock) {
    if (!files::pathExists(fileURL_)) {
        if (files::pathExists(files::backupPath(fileURL_)))
            logError(LogCategory::lifecycle,
                     "library.json is missing but its backup exists; starting with an empty library");
        return;
    }
    files::removeStaleTemporaryFiles(fileURL_);
    auto read = readLibraryFile(fileURL_);
    if (!read) {
        writable_ = false;
        errorMessage_ = libraryError(LibraryError::readOnly).message;
        logError(LogCategory::lifecycle, "Library data could not be read: " + read.error().message);
        return;
    }
    document_ = std::move(*read);
    if (document_.hasExpiredHistory(clock_.now()))
        update([this](LibraryDocument& document) { document.pruneExpiredHistory(clock_); });
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
    if (!writable_) {
        setError(libraryError(LibraryError::readOnly).message);
        return false;
    }
    LibraryDocument copy = document_;
    mutation(copy);
    if (auto written = writeLibraryFile(copy, document_, fileURL_); !written) {
        setError(written.error().message);
        return false;
    }
    publishDocument(std::move(copy));
    setError(std::nullopt);
    return true;
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
    auto restored = readLibraryFile(files::backupPath(fileURL_));
    if (!restored) {
        setError(restored.error().message);
        return false;
    }
    if (files::pathExists(fileURL_)) {
        if (auto copied = files::copyFileAtomically(fileURL_, files::newRecoveryPath(fileURL_), kLibraryFileSizeCap); !copied) {
            setError(copied.error().message);
            return false;
        }
    }
    auto encoded = encodeLibraryDocument(*restored);
    if (!encoded) {
        setError(libraryError(LibraryError::invalidDocument).message);
        return false;
    }
    if (auto written = files::writeFileAtomically(fileURL_, *encoded); !written) {
        setError(written.error().message);
        return false;
    }
    publishDocument(std::move(*restored));
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
