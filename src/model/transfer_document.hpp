#pragma once

// The backup file: the saved websites and the library (without history) carried from one
// installation to another, with what an export strips, how an import is checked, and how a backup
// is merged into the current websites and library without changing anything already there.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/library_document.hpp"
#include "model/result.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

inline constexpr const char* kBackupFormat = "Quenlith Backup";
// A backup is refused above this size, before it is decoded.
inline constexpr std::uint64_t kBackupFileSizeCap = 20'000'000;
inline constexpr std::size_t kMaximumImportedWebsites = 1'000;
inline constexpr const char* kBackupFileName = "Quenlith-backup.json";

struct TransferDocument {
    std::string format = kBackupFormat;
    std::int64_t version = 1;
    std::vector<WebAppProfile> websites;
    LibraryDocument library;

    TransferDocument() = default;
    // The export of the current websites and library: each website loses what belongs to this
    // device (last address, data store, credential id, application links, visible state), every
    // clip and page-group window its session, and the history stays behind. No I/O, cannot fail.
    TransferDocument(const std::vector<WebAppProfile>& websites, const LibraryDocument& library);

    // Decodes and checks a backup's bytes: size, format, version, the number of websites, each
    // website as the editor checks it (websiteRecordMessage), and the library's rules. `fileName`
    // names the file in messages.
    static Result<TransferDocument> fromData(std::string_view data, const std::string& fileName);

    // `existing` unchanged, followed by the imported websites that are new: without shortcut,
    // start-up launch, menu-bar icon, data store, credential id or application links, numbered
    // by their place in the result.
    std::vector<WebAppProfile> mergeWebsites(const std::vector<WebAppProfile>& existing) const;
    // `existing` with the backup's clips and page groups whose ids it lacks appended (without
    // their sessions); the history and version stay `existing`'s.
    LibraryDocument mergeLibrary(const LibraryDocument& existing) const;
    // Whether `imported` (whose normalised home address is `address`) must not be added beside
    // `existing`: the same id, or both on the shared data store with the same canonical address.
    static bool isDuplicate(const WebAppProfile& existing, const WebAppProfile& imported,
                            std::string_view address);

    bool operator==(const TransferDocument&) const = default;
};

void to_json(nlohmann::json& json, const TransferDocument& document);
void from_json(const nlohmann::json& json, TransferDocument& document);

// The pretty-printed backup text (keys sorted at every level); nothing when a record holds a
// value JSON cannot carry.
std::optional<std::string> encodeTransferDocument(const TransferDocument& document);

// Reads and checks a backup file: only a regular file, refused above the cap before it is read
// (never more than cap + 1 bytes are held), then TransferDocument::fromData.
Result<TransferDocument> readTransferFile(const std::string& path);

}  // namespace quenlith
