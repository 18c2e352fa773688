#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sigc++/signal.h>

#include "model/download_entry.hpp"

namespace quenlith {

// This launch's downloads as the downloads window sees them: their entries, newest first, and what
// it may ask of one. The browser's download manager implements it; the window reaches no further.
class DownloadList {
public:
    virtual ~DownloadList() = default;

    virtual const std::vector<DownloadEntry>& entries() const = 0;
    virtual const DownloadEntry* entry(const Uuid& id) const = 0;
    // Emitted after every change of the entries.
    virtual sigc::signal<void()>& signal_changed() = 0;

    virtual void cancel(const Uuid& id) = 0;
    // Shows the download's file in the file manager; `failed` hears why when that was impossible.
    virtual void reveal(const Uuid& id, std::function<void(const std::string& reason)> failed) = 0;
    // Removes every entry that is no longer active.
    virtual void clearFinished() = 0;
};

}  // namespace quenlith
