#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <sigc++/signal.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/page/download_location_chooser.hpp"
#include "browser/page/external_launch.hpp"
#include "model/download_list.hpp"
#include "model/file_placement.hpp"
#include "model/private_download_folder.hpp"

typedef struct _WebKitDownload WebKitDownload;
typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _GError GError;

namespace quenlith {

class PartialFileRecords;

// Shows a saved file in the file manager; `failed` hears why when nothing could show it.
using RevealFile = std::function<void(const std::string& path, LaunchFailed failed)>;
// Opens a folder's file:// address in another application.
using OpenFolder = std::function<void(const std::string& uri)>;

// Selects the file in the desktop's file manager (org.freedesktop.FileManager1.ShowItems on the
// session bus); when no file manager answers, hands the folder that holds it to `openFolder`
// (by default the desktop's default application for it, whose failure goes to `failed`).
void revealInFileManager(const std::string& path, OpenFolder openFolder = {}, LaunchFailed failed = {});

// What the window that started a download tells when it ends: "“name” downloaded", the failure, or
// nothing for a download the user cancelled.
std::optional<std::string> downloadNotice(const DownloadEntry& entry);

// Takes over every download of the engine: asks where to save it, lets the engine write into a
// temporary file of our own in a private folder (0700: other users cannot read a partial file),
// moves the finished file into place off the main thread, whole or not at all (a file it replaces
// stays as it was until then), and keeps one entry per download (newest first) for the downloads
// window. The partial files of those moves are recorded, so that what a process ending midway
// leaves is removed at the next start (sweepLeftovers). One manager serves the whole process; main
// thread only.
class DownloadManager final : public DownloadList {
public:
    // The save dialog, $XDG_CACHE_HOME/com.quenlith.Quenlith/Downloads, the record of partial files
    // in the data folder and the desktop's file manager.
    DownloadManager();
    // Replaceable pieces (tests): the location question, the private folder for the temporary
    // files (made 0700 when a download needs it), the file-manager call, the record of partial
    // files (none: not recorded) and the placements' seams.
    DownloadManager(std::unique_ptr<DownloadLocationChooser> chooser, std::string temporaryDirectory,
                    RevealFile reveal = [](const std::string& path, LaunchFailed failed) {
                        revealInFileManager(path, {}, std::move(failed));
                    },
                    std::shared_ptr<PartialFileRecords> records = nullptr, PlacementSeams placement = {});
    ~DownloadManager();
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    const std::vector<DownloadEntry>& entries() const override { return entries_; }
    const DownloadEntry* entry(const Uuid& id) const override;
    // Emitted after every change of the entries.
    sigc::signal<void()>& signal_changed() override { return changed_; }
    // Emitted when a download ended, with its final entry and the window it started in (or none).
    sigc::signal<void(const DownloadEntry&, GtkWindow*)>& signal_ended() { return ended_; }

    // Registers every download that `context` starts (links with a download attribute, responses
    // decided as downloads, downloads asked of the context), each with the window of its view.
    // Observing a context twice changes nothing.
    void observe(WebKitWebContext* context);
    // Takes over one download; `window` is the window of the view that started it, or none.
    void registerDownload(WebKitDownload* download, GtkWindow* window);

    // Also stops a file being moved into place, leaving the chosen name as it was; a file that has
    // landed already is no longer cancelled.
    void cancel(const Uuid& id) override;
    // Cancels every running download; no engine report about them reaches the manager afterwards.
    // Called at quit, so that no partial file outlives the process.
    void cancelAll();
    // Shows the download's file in the file manager; `failed` hears why when that was impossible.
    void reveal(const Uuid& id, LaunchFailed failed = {}) override;
    // Removes every entry that is no longer active; files are not touched.
    void clearFinished() override;
    // Once, at start: removes what processes that ended midway left, off the main thread: the
    // private folder's files unless another process uses it (downloads wait until it is done), and
    // the recorded partial files still in destination folders. `done` is told once both are over.
    void sweepLeftovers(std::function<void()> done = {});

    std::size_t runningCount() const { return downloads_.size(); }
    const std::string& temporaryDirectory() const { return folder_.path(); }

private:
    struct Running {
        GObjectPtr<WebKitDownload> download;
        std::vector<unsigned long> handlers;
        GObjectPtr<GtkWindow> window;
        std::optional<std::string> temporaryFile;
        std::shared_ptr<FilePlacement> placement;  // the finished file is being moved into place
    };

    DownloadEntry* mutableEntry(const Uuid& id);
    std::optional<Uuid> idOf(WebKitDownload* download) const;
    void disconnect(Running& running);
    void end(const Uuid& id, std::string status);
    void updateProgress(WebKitDownload* download);
    bool decideDestination(WebKitDownload* download, const char* suggestedName);
    void destinationChosen(const Uuid& id, std::optional<std::string> path);
    void finished(WebKitDownload* download);
    void moved(const Uuid& id, const Status& placed);
    void failed(WebKitDownload* download, const GError* error);

    static void onContextFinalized(gpointer self, GObject* gone);
    static void onDownloadStarted(WebKitWebContext* context, WebKitDownload* download, gpointer self);
    static gboolean onDecideDestination(WebKitDownload* download, char* suggestedName, gpointer self);
    static void onReceivedData(WebKitDownload* download, guint64 length, gpointer self);
    static void onResponse(WebKitDownload* download, GParamSpec*, gpointer self);
    static void onFinished(WebKitDownload* download, gpointer self);
    static void onFailed(WebKitDownload* download, GError* error, gpointer self);

    std::unique_ptr<DownloadLocationChooser> chooser_;
    PrivateDownloadFolder folder_;
    RevealFile reveal_;
    std::shared_ptr<PartialFileRecords> records_;
    PlacementSeams placementSeams_;
    std::vector<DownloadEntry> entries_;
    std::map<Uuid, Running> downloads_;
    std::map<WebKitDownload*, Uuid> ids_;
    std::map<WebKitWebContext*, unsigned long> contexts_;  // observed contexts, held weakly
    sigc::signal<void()> changed_;
    sigc::signal<void(const DownloadEntry&, GtkWindow*)> ended_;
    // Declared last, so it goes first: answers and moves that finish later find it expired.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quenlith
