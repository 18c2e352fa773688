#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "model/file_placement.hpp"
#include "model/partial_file_journal.hpp"

namespace quenlith {

// The journal of partial files on disk, one per data folder: the placements of downloads record
// each partial file in it, written whole and durably before the file is made, and a start removes
// those an earlier process left (PartialFileJournal says which). The data folder's lock keeps any
// other process from it. Safe from any thread; every call that touches the disk is for a worker.
class PartialFileRecords final : public PartialFileRecorder {
public:
    explicit PartialFileRecords(std::string journalPath);
    // "partial-downloads.json" in the application's data folder.
    static std::string applicationJournalPath();

    // Records `path` in memory and on disk; fails, recording nothing, when either refuses.
    Status record(const std::string& path) override;
    // Adds which file was made at `path` to its record; a failure to write that is logged (the
    // record then removes nothing).
    void identify(const std::string& path, FileIdentity identity) override;
    // Drops the record; a failure to write that is logged (the file is gone, so the next start
    // drops the record then).
    void forget(const std::string& path) override;

    // Removes the partial files recorded by earlier processes that are still there, each only when
    // it is the very file recorded, in a folder reached without links; drops their records and
    // logs what it did. A journal that cannot be read (damaged, over its size cap) is kept aside as
    // it was, said in the log, and removes nothing; one that cannot be kept aside is not replaced.
    void sweepEarlier();
    // sweepEarlier() on a worker; `done` is told on the main context of the calling thread.
    static void sweepInBackground(std::shared_ptr<PartialFileRecords> records, std::function<void()> done = {});

private:
    // Reads the journal once, before anything is recorded or removed.
    void loadLocked();
    Status writeLocked();
    // After a journal could not be read: `aside` is where it was kept, or why it could not be.
    void keepInPlace(const Result<std::string>& aside);

    const std::string path_;
    std::mutex mutex_;  // guards everything below and the journal file
    bool loaded_ = false;
    // A journal that could not be read is replaced at the next write, once set aside.
    bool replaceDamaged_ = false;
    // Why one that could not be set aside is not written over: every record fails with it.
    std::optional<Error> keptInPlace_;
    PartialFileJournal journal_;
};

}  // namespace quenlith
