#pragma once

// Puts a finished file at the path a person chose, whole or not at all. Within one file system
// the file is renamed into place. Across file systems it is first copied into a hidden partial
// file in the destination's folder and renamed over the destination only once complete: a full
// disk, a write error or a cancellation leaves the chosen name as it was (a file being replaced
// stays byte for byte what it was) and removes the partial file. The work runs on a worker thread.
// A process that ends in the middle of the copy cannot remove its partial file: a recorder given to
// the placement hears its name before the file is made, so a later start can find it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "model/file_identity.hpp"
#include "model/result.hpp"

namespace quenlith {

// A fresh path for a hidden partial file in `folder`: ".Quenlith-download-<UUID>.part". A placement
// names it in the destination's folder as the system resolves it (no link on the way), so that a
// later start reaches the very same folder without following any link.
std::string partialFileName(const std::string& folder);
// Whether `name` (a file name, not a path) has exactly the shape partialFileName gives.
bool isPartialFileName(std::string_view name);

// Keeps the names of the partial files placements make. Called on the placement's worker.
class PartialFileRecorder {
public:
    virtual ~PartialFileRecorder() = default;
    // Records `path` for good before the file is made there; a failure stops the placement, which
    // then makes no file.
    virtual Status record(const std::string& path) = 0;
    // The file is now made at the recorded `path`, and is `identity`: only that file is ever
    // removed on the record's account. A record never identified removes nothing.
    virtual void identify(const std::string& path, FileIdentity identity) = 0;
    // The file recorded at `path` is gone, renamed into place, or was never made.
    virtual void forget(const std::string& path) = 0;
};

// Replaceable pieces of a placement (tests): the partial file's path in a folder, and a call the
// worker makes after each piece of the copy (tests hold the worker there).
struct PlacementSeams {
    std::function<std::string(const std::string& folder)> partialName = partialFileName;
    std::function<void()> copiedPiece;
};

struct PlacementState;

class FilePlacement {
public:
    using Completion = std::function<void(const Status&)>;
    using Seams = PlacementSeams;

    // Starts moving `source` to `destination`; `done` is told on the main context of the calling
    // thread, unless cancel() stopped the placement first. The source is left where it was when
    // the placement fails; removing it is the caller's. `recorder`, when given, hears of every
    // partial file before it is made.
    static std::shared_ptr<FilePlacement> start(const std::string& source, const std::string& destination,
                                                Completion done, Seams seams = {},
                                                std::shared_ptr<PartialFileRecorder> recorder = nullptr);
    ~FilePlacement();
    FilePlacement(const FilePlacement&) = delete;
    FilePlacement& operator=(const FilePlacement&) = delete;

    // Stops the placement unless its file has reached the destination already. True when stopped:
    // the partial file is gone, the destination was never touched and `done` is not told. False
    // when the file landed (its completion still comes).
    bool cancel();

private:
    explicit FilePlacement(std::shared_ptr<PlacementState> state);
    std::shared_ptr<PlacementState> state_;
};

}  // namespace quenlith
