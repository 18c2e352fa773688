#pragma once

// session-v1.json: the recovery snapshot of open windows and tabs, and its backup companion.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/restorable_window.hpp"
#include "model/result.hpp"
#include "model/uuid.hpp"

namespace quenlith {

inline constexpr std::size_t kMaximumRestorableWindows = 30;
inline constexpr std::uint64_t kSessionFileSizeCap = 8'000'000;

// The root of session-v1.json.
struct BrowserSessionDocument {
    std::int64_t version = 1;
    std::vector<RestorableWindow> windows;
    std::optional<Uuid> activeWindow;

    bool operator==(const BrowserSessionDocument&) const = default;

    // Version 1, the first 30 windows each sanitised (unrestorable ones left out, order kept),
    // the active window kept as it is.
    BrowserSessionDocument normalized() const;
};

void to_json(nlohmann::json& json, const BrowserSessionDocument& document);
void from_json(const nlohmann::json& json, BrowserSessionDocument& document);

// Failures of saving a snapshot that are the snapshot's own fault.
enum class BrowserSessionError {
    tooLarge,         // more than 30 windows or more than 100 tabs in a window
    encodingTooLarge  // the encoded snapshot is over the 8,000,000-byte cap
};

inline constexpr const char* kSessionTooLarge = "session.tooLarge";
inline constexpr const char* kSessionEncodingTooLarge = "session.encodingTooLarge";

Error browserSessionError(BrowserSessionError error);

// The document of one session file when it is usable (readable, within the cap, decodable,
// version 1), not yet normalised; nothing otherwise. Only reads: safe beside a write in flight.
std::optional<BrowserSessionDocument> usableSessionFile(const std::string& path);

// Reads, writes and deletes session-v1.json and session-v1.json.backup. Holds no state besides
// the path; every call goes to the disk.
class BrowserSessionPersistence {
public:
    // "<application folder>/session-v1.json".
    BrowserSessionPersistence();
    explicit BrowserSessionPersistence(std::string fileURL) : fileURL_(std::move(fileURL)) {}

    const std::string& fileURL() const { return fileURL_; }

    // The saved snapshot, normalised: the file, else its backup (a candidate is skipped when
    // missing, unreadable, over the cap, undecodable or not version 1). Nothing when there is no
    // usable snapshot and no file; an error when the file exists but neither it nor the backup is
    // usable.
    Result<std::optional<BrowserSessionDocument>> load() const;

    // Writes the normalised snapshot. Refused whole (nothing written) when the document as given
    // has more than 30 windows or a window with more than 100 tabs, or when its encoding is over
    // the cap. The replaced file becomes the backup when it is a snapshot this version reads (see
    // usableSessionFile), and is kept as "<name>.recovery-<UUID>" when it is not (one over the cap
    // is moved there). Refused, leaving it as it is, when the file there cannot be read (no
    // permission) or is not a regular file.
    Status save(const BrowserSessionDocument& document) const;

    // Deletes the file, then the backup; the first failure stops.
    Status removeFiles() const;

private:
    std::string fileURL_;
};

}  // namespace quenlith
