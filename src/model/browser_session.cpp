#include "model/browser_session.hpp"

#include <sys/stat.h>

#include <cstdio>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

BrowserSessionDocument BrowserSessionDocument::normalized() const {
    BrowserSessionDocument result;
    result.version = 1;
    result.activeWindow = activeWindow;
    std::size_t considered = std::min(windows.size(), kMaximumRestorableWindows);
    for (std::size_t i = 0; i < considered; ++i)
        if (auto window = windows[i].sanitized()) result.windows.push_back(std::move(*window));
    return result;
}

namespace {

constexpr RecordFields kFields{
    field("version", &BrowserSessionDocument::version),
    field("windows", &BrowserSessionDocument::windows),
    field("activeWindow", &BrowserSessionDocument::activeWindow),
};

}  // namespace

void to_json(Json& json, const BrowserSessionDocument& document) {
    kFields.write(json, document);
}

void from_json(const Json& json, BrowserSessionDocument& document) {
    kFields.read(json, document);
}

Error browserSessionError(BrowserSessionError error) {
    switch (error) {
    case BrowserSessionError::tooLarge:
        return Error{kSessionTooLarge,
                     localizedString("Session recovery supports up to 30 windows and 100 tabs per window. "
                                     "Close excess windows or tabs to resume saving.")};
    case BrowserSessionError::encodingTooLarge:
        return Error{kSessionEncodingTooLarge,
                     localizedString("The open windows and tabs take more than 8 MB to record, so session recovery "
                                     "could not save them. Close some windows or tabs to resume saving.")};
    }
    return Error{kSessionTooLarge, ""};
}

namespace {

// The snapshot `bytes` hold when this version can read it; nothing otherwise.
std::optional<BrowserSessionDocument> usableSession(const std::string& bytes) {
    auto json = parseJsonText(bytes);
    if (!json) return std::nullopt;
    auto document = decodeJson<BrowserSessionDocument>(*json);
    if (!document || document->version != 1) return std::nullopt;
    return document;
}

// Moves a file over the cap, which cannot be copied within it, to `aside`; anything but a regular
// file (a link, a pipe) stays where it is.
Status moveOversizedAside(const std::string& path, const std::string& aside) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::rename(path.c_str(), aside.c_str()) != 0)
        return files::tooLargeError(path, files::FileTask::write);
    return success();
}

}  // namespace

std::optional<BrowserSessionDocument> usableSessionFile(const std::string& path) {
    auto bytes = files::readWholeFile(path, kSessionFileSizeCap);
    if (!bytes) return std::nullopt;
    return usableSession(*bytes);
}

BrowserSessionPersistence::BrowserSessionPersistence()
    : fileURL_(applicationDataDirectory() + "/session-v1.json") {}

Result<std::optional<BrowserSessionDocument>> BrowserSessionPersistence::load() const {
    files::removeStaleTemporaryFiles(fileURL_);
    if (auto document = usableSessionFile(fileURL_)) return std::optional(document->normalized());
    bool fileExists = files::pathExists(fileURL_);
    std::string backup = files::backupPath(fileURL_);
    if (auto document = usableSessionFile(backup)) {
        if (fileExists)
            logError(LogCategory::lifecycle, "session-v1.json is unusable; restoring windows from its backup");
        else
            logError(LogCategory::lifecycle, "session-v1.json is missing but its backup exists; restoring from the backup");
        return std::optional(document->normalized());
    }
    if (fileExists) return files::corruptFileError(fileURL_);
    return std::optional<BrowserSessionDocument>();
}

Status BrowserSessionPersistence::save(const BrowserSessionDocument& document) const {
    if (document.windows.size() > kMaximumRestorableWindows) return browserSessionError(BrowserSessionError::tooLarge);
    for (const auto& window : document.windows)
        if (window.tabs.size() > kMaximumRestorableTabs) return browserSessionError(BrowserSessionError::tooLarge);

    if (auto folder = files::createParentFolder(fileURL_); !folder) return folder;
    auto encoded = encodeJsonText(Json(document.normalized()), JsonStyle::compact);
    if (!encoded) return files::encodingError(fileURL_);
    if (encoded->size() > kSessionFileSizeCap) return browserSessionError(BrowserSessionError::encodingTooLarge);

    // Only a snapshot this version reads is worth keeping as the backup; any other file there (a
    // later version's, a damaged one, one over the cap) is kept aside before it is replaced, and
    // what cannot be read (or is no file at all) is left as it is. The cap bounds what is read.
    auto current = files::readWholeFile(fileURL_, kSessionFileSizeCap, files::FileTask::write);
    if (!current && current.error().code == files::kTooLarge) {
        const std::string kept = files::newRecoveryPath(fileURL_);
        if (auto moved = moveOversizedAside(fileURL_, kept); !moved) {
            logError(LogCategory::lifecycle, "The session is not written over " + fileURL_ + ": " + moved.error().message);
            return moved;
        }
        logError(LogCategory::lifecycle, fileURL_ + " was over the size limit; kept it as " + kept);
    } else if (current) {
        const bool snapshot = usableSession(*current).has_value();
        const std::string kept = snapshot ? files::backupPath(fileURL_) : files::newRecoveryPath(fileURL_);
        auto copied = snapshot ? files::writeBackup(kept, *current) : files::writeOwnFileAtomically(kept, *current);
        if (!copied) return copied;
        if (!snapshot) logError(LogCategory::lifecycle, fileURL_ + " held no readable snapshot; kept it as " + kept);
    } else if (current.error().code != files::kNoSuchFile) {
        logError(LogCategory::lifecycle, "The session is not written over " + fileURL_ + ": " + current.error().message);
        return current.error();
    }
    return files::writeFileAtomically(fileURL_, *encoded);
}

Status BrowserSessionPersistence::removeFiles() const {
    if (auto removed = files::removeFileIfPresent(fileURL_); !removed) return removed;
    return files::removeFileIfPresent(files::backupPath(fileURL_));
}

}  // namespace quenlith
