#pragma once

// library.json on disk: the size cap, the compact encoding, the backup rule and the atomic write.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/library_document.hpp"
#include "model/result.hpp"

namespace quenlith {

// library.json and backups are refused above this size, on reading and on writing.
inline constexpr std::uint64_t kLibraryFileSizeCap = 20'000'000;

// "<application folder>/library.json".
std::string defaultLibraryFilePath();

// The compact JSON text of a document; nothing when it holds a value JSON cannot carry.
std::optional<std::string> encodeLibraryDocument(const LibraryDocument& document);

// Parses and decodes library JSON text (no validation). `path` names the file in messages.
Result<LibraryDocument> decodeLibraryDocument(std::string_view text, const std::string& path);

// Reads a library file: a file over the cap fails with LibraryError::invalidDocument before it
// is read or parsed; then decoding and validation.
Result<LibraryDocument> readLibraryFile(const std::string& path);

// Writes `document` to `path`: validation, compact encoding within the cap, the folder, the
// backup refresh (the held document `current` without its history, when the clips or groups
// change or no backup exists, and only when the file exists), then the atomic write. A failure
// leaves the file as it was.
Status writeLibraryFile(const LibraryDocument& document, const LibraryDocument& current, const std::string& path);

}  // namespace quenlith
