#pragma once

namespace quenlith {

// What the parts of the window manager ask of the session they run in, answered by the window
// manager: the parts below the session restore reach it only through this.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Builds what an incremental restore still owes; every request that shows, opens, hides or
    // saves windows calls it first, so it acts on the whole session.
    virtual void finishRestore() = 0;
    // Whether an incremental restore still builds windows: windows still owed would read as gone.
    virtual bool isRestoring() const = 0;
    // Writes the session snapshot after a quiet time.
    virtual void scheduleSnapshot() = 0;
    // While website data are reset nothing opens and nothing is saved.
    virtual bool isResettingWebsiteData() const = 0;
    // Whether application links act: after the restore, not during shutdown or a website-data reset.
    virtual bool linksMayApply() const = 0;
};

}  // namespace quenlith
