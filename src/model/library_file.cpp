#include "model/library_file.hpp"

#include "model/address_limit.hpp"
#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"

namespace quenlith {

std::string defaultLibraryFilePath() { return applicationDataDirectory() + "/library.json"; }

std::optional<std::string> encodeLibraryDocument(const LibraryDocument& document) {
    return encodeJsonText(Json(document), JsonStyle::compact);
}

Result<LibraryDocument> decodeLibraryDocument(std::string_view text, const std::string& path) {
    auto json = parseJsonText(text);
    if (!json) return files::corruptFileError(path);
    auto document = decodeJson<LibraryDocument>(*json);
    if (!document) return files::corruptFileError(path);
    return std::move(*document);
}

Result<LibraryDocument> readLibraryFile(const std::string& path) {
    auto bytes = files::readWholeFile(path, kLibraryFileSizeCap);
    if (!bytes) {
        if (bytes.error().code == files::kTooLarge) return libraryError(LibraryError::invalidDocument);
        return bytes.error();
    }
    auto document = decodeLibraryDocument(*bytes, path);
    if (!document) return document;
    // Earlier versions recorded visits to addresses of any length; those visits are let go rather
    // than refusing the whole library.
    std::erase_if(document->history,
                  [](const HistoryVisit& visit) { return !isWithinAddressLimit(visit.address); });
    if (auto valid = validateLibraryDocument(*document); !valid) return valid.error();
    return document;
}

Status writeLibraryFile(const LibraryDocument& document, const LibraryDocument& current, const std::string& path) {
    if (auto valid = validateLibraryDocument(document); !valid) return valid;
    auto encoded = encodeLibraryDocument(document);
    if (!encoded || encoded->size() > kLibraryFileSizeCap) return libraryError(LibraryError::invalidDocument);
    if (auto folder = files::createParentFolder(path); !folder) return folder;

    if (files::pathExists(path)) {
        std::string backup = files::backupPath(path);
        if (document.clips != current.clips || document.scenes != current.scenes || !files::pathExists(backup)) {
            LibraryDocument previous{current.version, current.clips, current.scenes, {}};
            auto previousBytes = encodeLibraryDocument(previous);
            if (!previousBytes) return libraryError(LibraryError::invalidDocument);
            if (auto written = files::writeBackup(backup, *previousBytes); !written) return written;
        }
    }
    return files::writeFileAtomically(path, *encoded);
}

}  // namespace quenlith
