#pragma once

// Saves session-v1.json through the application's file writer: snapshots are handed over and
// written on its worker, a newer snapshot replacing one that still waits (the newer one describes
// every window). The backup rule is the persistence's: each write moves the replaced readable
// snapshot to the backup.

#include <functional>
#include <memory>

#include "model/browser_session.hpp"
#include "model/file_writer.hpp"
#include "model/result.hpp"

namespace quenlith {

class SessionSaver {
public:
    // Told on the main context, in order, of each finished background write. Writes overtaken by
    // an immediate one are not told, nor any after this is gone.
    using Completion = std::function<void(const Status& result)>;

    SessionSaver(BrowserSessionPersistence persistence, Completion completion,
                 FileWriter& writer = applicationFileWriter());
    // Waits for the snapshots still handed over.
    ~SessionSaver();
    SessionSaver(const SessionSaver&) = delete;
    SessionSaver& operator=(const SessionSaver&) = delete;

    // Hands the snapshot to the writer; never waits for the disk. A snapshot equal to the one
    // handed over last is not written again (the file and its backup stay as they are) unless
    // that write failed.
    void writeLater(BrowserSessionDocument document);
    // The same, except that with `holdTitlesAlone` a snapshot that differs from the last one only in
    // its pages' titles is held back (false): a page retitling itself every second would rewrite
    // the file and its backup as often, for a title the restore shows only until the page loads.
    bool writeLater(BrowserSessionDocument document, bool holdTitlesAlone);
    // Whether the snapshot differs from the one handed over last in its pages' titles alone (not
    // when equal, nor when none was handed over or its write failed).
    bool differsOnlyInTitles(const BrowserSessionDocument& document) const;
    // Runs `work` on the writer after the write in flight, dropping the waiting one, and waits
    // for it: the final snapshot and the removal of the files.
    Status exclusive(const std::function<Status(const BrowserSessionPersistence&)>& work);
    // True while a snapshot waits, is being written, or has not been told yet.
    bool busy() const { return writer_.busy(persistence_.fileURL()); }

private:
    const BrowserSessionPersistence persistence_;
    FileWriter& writer_;
    struct Shared {
        Completion completion;
        // The snapshot handed over last; forgotten when its write fails.
        std::shared_ptr<const BrowserSessionDocument> handed;
    };
    // Completions hold it weakly: they do nothing once this is gone.
    std::shared_ptr<Shared> shared_;
};

}  // namespace quenlith
