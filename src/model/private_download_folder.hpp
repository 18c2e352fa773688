#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/result.hpp"

namespace quenlith {

// The private folder the web engine writes downloads into before they are moved into place. A
// process that ends while a download runs leaves its files there, and nobody else writes there:
// every process that uses the folder holds a shared lock on it for as long as it lives, and a start
// that finds no other holder removes whatever is in it before its own downloads are written there.
// A folder that another process uses stays as it is. The folder must be a real folder of ours
// reached without a link in its own name: a link (or anything else) under that name is left as it
// is and told in the log, and downloads use the next free name of ours ("Downloads-2" and on)
// instead. Main thread; the disk is a worker's.
class PrivateDownloadFolder {
public:
    explicit PrivateDownloadFolder(std::string path);
    ~PrivateDownloadFolder();
    PrivateDownloadFolder(const PrivateDownloadFolder&) = delete;
    PrivateDownloadFolder& operator=(const PrivateDownloadFolder&) = delete;

    // "Downloads" in the application's cache folder.
    static std::string applicationPath();
    // The folder downloads are written into: the one asked for, or the one used in its place.
    const std::string& path() const { return path_; }
    // Makes the folder again when it went missing, refusing one a link took the place of; its path
    // (path()), or why nothing may be written there. Quick: a look and at most one new folder.
    Result<std::string> prepare();

    // Takes the folder's hold off the main thread, clearing the folder first when no other process
    // holds it; `done` is told on the main loop afterwards. Until then the folder is not ready. Once
    // it holds the folder, a later call only tells `done` when ready.
    void sweep(std::function<void()> done = {});
    // Whether files may be written into the folder: no sweep is under way.
    bool ready() const { return !sweeping_; }
    // Runs `then` at once when ready, else on the main loop once the sweep has ended.
    void whenReady(std::function<void()> then);

private:
    struct Swept;
    void swept(Swept& result);

    const std::string base_;  // the cache folder: followed wherever a person linked it
    const std::string name_;  // the name asked for
    std::string path_;
    bool sweeping_ = false;
    int hold_ = -1;  // the folder, locked shared while this process lives
    std::vector<std::function<void()>> waiting_;
    std::function<void()> done_;
    // The worker's answer holds this weakly.
    std::shared_ptr<PrivateDownloadFolder*> self_;
};

}  // namespace quenlith
