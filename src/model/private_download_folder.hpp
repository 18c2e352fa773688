#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quenlith {

// The private folder the web engine writes downloads into before they are moved into place. A
// process that ends while a download runs leaves its files there, and nobody else writes there:
// every process that uses the folder holds a shared lock on it for as long as it lives, and a start
// that finds no other holder removes whatever is in it before its own downloads are written there.
// A folder that another process uses stays as it is. Main thread; the disk is a worker's.
class PrivateDownloadFolder {
public:
    explicit PrivateDownloadFolder(std::string path);
    ~PrivateDownloadFolder();
    PrivateDownloadFolder(const PrivateDownloadFolder&) = delete;
    PrivateDownloadFolder& operator=(const PrivateDownloadFolder&) = delete;

    // "Downloads" in the application's cache folder.
    static std::string applicationPath();
    const std::string& path() const { return path_; }

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

    std::string path_;
    bool sweeping_ = false;
    int hold_ = -1;  // the folder, locked shared while this process lives
    std::vector<std::function<void()>> waiting_;
    std::function<void()> done_;
    // The worker's answer holds this weakly.
    std::shared_ptr<PrivateDownloadFolder*> self_;
};

}  // namespace quenlith
