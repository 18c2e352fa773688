#include "browser/page/download_manager.hpp"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <gio/gio.h>
#include <glib/gstdio.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/external_launch.hpp"
#include "model/app_paths.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/partial_file_records.hpp"

namespace quenlith {
namespace {

constexpr const char* kTemporaryPrefix = "Quenlith-download-";

bool isCancellation(const GError* error) {
    return (error->domain == WEBKIT_DOWNLOAD_ERROR && error->code == WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER) ||
           (error->domain == WEBKIT_NETWORK_ERROR && error->code == WEBKIT_NETWORK_ERROR_CANCELLED) ||
           g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

std::int64_t expectedLength(WebKitDownload* download) {
    WebKitURIResponse* response = webkit_download_get_response(download);
    return response ? static_cast<std::int64_t>(webkit_uri_response_get_content_length(response)) : 0;
}

GtkWindow* windowOfView(WebKitWebView* view) {
    if (!view) return nullptr;
    GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
    if (!toplevel || !gtk_widget_is_toplevel(toplevel) || !GTK_IS_WINDOW(toplevel)) return nullptr;
    return GTK_WINDOW(toplevel);
}

void openFolderOf(const std::string& path, const OpenFolder& open, LaunchFailed failed) {
    GFile* file = g_file_new_for_path(path.c_str());
    GFile* folder = g_file_get_parent(file);
    if (folder) {
        char* uri = g_file_get_uri(folder);
        if (open)
            open(uri);
        else
            openWithDefaultApplication(uri, std::move(failed));
        g_free(uri);
        g_object_unref(folder);
    }
    g_object_unref(file);
}

// Removes our temporary file (the engine removes its own partial file); failures are ignored.
void removeTemporary(const std::optional<std::string>& temporary) {
    if (temporary) g_remove(temporary->c_str());
}

// The system's description of a failed write, naming the destination the user chose instead of
// our temporary file (which the user never sees).
std::string namingDestination(std::string text, const std::string& temporary, const std::string& destination) {
    if (temporary.empty()) return text;
    for (std::size_t at = text.find(temporary); at != std::string::npos; at = text.find(temporary, at + destination.size())) {
        std::size_t length = temporary.size();
        if (text.compare(at + length, 11, ".wkdownload") == 0) length += 11;  // the engine's own partial file
        text.replace(at, length, destination);
    }
    return text;
}

}  // namespace

void revealInFileManager(const std::string& path, OpenFolder openFolder, LaunchFailed failed) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        openFolderOf(path, openFolder, std::move(failed));
        return;
    }
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) {
        g_object_unref(bus);
        return;
    }
    GVariantBuilder items;
    g_variant_builder_init(&items, G_VARIANT_TYPE("as"));
    g_variant_builder_add(&items, "s", uri);
    g_free(uri);
    struct Reveal {
        std::string path;
        OpenFolder openFolder;
        LaunchFailed failed;
    };
    g_dbus_connection_call(
        bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
        "ShowItems", g_variant_new("(ass)", &items, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Reveal> reveal(static_cast<Reveal*>(data));
            GError* error = nullptr;
            GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
            if (reply) {
                g_variant_unref(reply);
                return;
            }
            g_clear_error(&error);
            openFolderOf(reveal->path, reveal->openFolder, std::move(reveal->failed));
        },
        new Reveal{path, std::move(openFolder), std::move(failed)});
    g_object_unref(bus);
}

DownloadManager::DownloadManager()
    : DownloadManager(
          std::make_unique<SaveDialogLocationChooser>(), PrivateDownloadFolder::applicationPath(),
          [](const std::string& path, LaunchFailed failed) { revealInFileManager(path, {}, std::move(failed)); },
          std::make_shared<PartialFileRecords>(PartialFileRecords::applicationJournalPath())) {}

DownloadManager::DownloadManager(std::unique_ptr<DownloadLocationChooser> chooser, std::string temporaryDirectory,
                                 RevealFile reveal, std::shared_ptr<PartialFileRecords> records,
                                 PlacementSeams placement)
    : chooser_(std::move(chooser)),
      folder_(std::move(temporaryDirectory)),
      reveal_(std::move(reveal)),
      records_(std::move(records)),
      placementSeams_(std::move(placement)) {}

DownloadManager::~DownloadManager() {
    for (auto& [context, handler] : contexts_) {
        g_signal_handler_disconnect(context, handler);
        g_object_weak_unref(G_OBJECT(context), onContextFinalized, this);
    }
    // Nobody would move these files into place any more: stop the engine and remove them. A file
    // already being moved still lands; a failed move removes it.
    for (auto& [id, running] : downloads_) {
        disconnect(running);
        if (running.placement) continue;
        webkit_download_cancel(running.download.get());
        removeTemporary(running.temporaryFile);
    }
}

const DownloadEntry* DownloadManager::entry(const Uuid& id) const {
    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const DownloadEntry& e) { return e.id == id; });
    return found == entries_.end() ? nullptr : &*found;
}

DownloadEntry* DownloadManager::mutableEntry(const Uuid& id) { return const_cast<DownloadEntry*>(entry(id)); }

std::optional<Uuid> DownloadManager::idOf(WebKitDownload* download) const {
    auto found = ids_.find(download);
    if (found == ids_.end()) return std::nullopt;
    return found->second;
}

void DownloadManager::observe(WebKitWebContext* context) {
    if (!context || contexts_.count(context)) return;
    contexts_[context] = g_signal_connect(context, "download-started", G_CALLBACK(onDownloadStarted), this);
    // A finalised context leaves the table, so a new context at the same address is observed again.
    g_object_weak_ref(G_OBJECT(context), onContextFinalized, this);
}

void DownloadManager::onContextFinalized(gpointer self, GObject* gone) {
    static_cast<DownloadManager*>(self)->contexts_.erase(reinterpret_cast<WebKitWebContext*>(gone));
}

void DownloadManager::onDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self) {
    static_cast<DownloadManager*>(self)->registerDownload(download, windowOfView(webkit_download_get_web_view(download)));
}

void DownloadManager::registerDownload(WebKitDownload* download, GtkWindow* window) {
    if (!download || ids_.count(download)) return;
    Uuid id = Uuid::random();
    ids_[download] = id;
    Running& running = downloads_[id];
    running.download = GObjectPtr<WebKitDownload>::retain(download);
    running.window = GObjectPtr<GtkWindow>::retain(window);
    running.handlers = {
        g_signal_connect(download, "decide-destination", G_CALLBACK(onDecideDestination), this),
        g_signal_connect(download, "received-data", G_CALLBACK(onReceivedData), this),
        g_signal_connect(download, "notify::response", G_CALLBACK(onResponse), this),
        g_signal_connect(download, "finished", G_CALLBACK(onFinished), this),
        g_signal_connect(download, "failed", G_CALLBACK(onFailed), this),
    };
    DownloadEntry entry;
    entry.id = id;
    entry.name = localizedString("Download");
    entry.status = std::string(download_status::chooseDestination);
    entries_.insert(entries_.begin(), std::move(entry));
    changed_.emit();
}

void DownloadManager::disconnect(Running& running) {
    for (unsigned long handler : running.handlers) g_signal_handler_disconnect(running.download.get(), handler);
    running.handlers.clear();
}

void DownloadManager::end(const Uuid& id, std::string status) {
    auto found = downloads_.find(id);
    if (found == downloads_.end()) return;
    Running running = std::move(found->second);
    downloads_.erase(found);
    disconnect(running);
    ids_.erase(running.download.get());
    if (DownloadEntry* entry = mutableEntry(id)) {
        entry->status = std::move(status);
        entry->isActive = false;
    }
    // Whatever was not moved into place is of no use to anyone; a failure to delete is ignored.
    removeTemporary(running.temporaryFile);
    changed_.emit();
    if (const DownloadEntry* ended = entry(id)) {
        const DownloadEntry copy = *ended;  // a listener may clear the list
        ended_.emit(copy, running.window.get());
    }
}

std::optional<std::string> downloadNotice(const DownloadEntry& entry) {
    if (entry.status == download_status::cancelled) return std::nullopt;
    std::string name = entry.name;
    if (entry.destination) {
        g_autofree char* base = g_path_get_basename(entry.destination->c_str());
        name = base;
    }
    if (entry.status == download_status::complete) return localizedFormat("“%@” downloaded", {name});
    return localizedFormat("“%@” could not be downloaded: %@", {name, localizedString(entry.status)});
}

void DownloadManager::updateProgress(WebKitDownload* download) {
    auto id = idOf(download);
    if (!id) return;
    DownloadEntry* entry = mutableEntry(*id);
    if (!entry) return;
    entry->received = static_cast<std::int64_t>(webkit_download_get_received_data_length(download));
    entry->expected = expectedLength(download);
    changed_.emit();
}

void DownloadManager::onReceivedData(WebKitDownload* download, guint64, gpointer self) {
    static_cast<DownloadManager*>(self)->updateProgress(download);
}

void DownloadManager::onResponse(WebKitDownload* download, GParamSpec*, gpointer self) {
    auto* manager = static_cast<DownloadManager*>(self);
    auto id = manager->idOf(download);
    if (!id) return;
    if (DownloadEntry* entry = manager->mutableEntry(*id)) {
        entry->expected = expectedLength(download);
        manager->changed_.emit();
    }
}

gboolean DownloadManager::onDecideDestination(WebKitDownload* download, char* suggestedName, gpointer self) {
    return static_cast<DownloadManager*>(self)->decideDestination(download, suggestedName) ? TRUE : FALSE;
}

bool DownloadManager::decideDestination(WebKitDownload* download, const char* suggestedName) {
    auto id = idOf(download);
    if (!id) {
        webkit_download_cancel(download);
        return true;
    }
    std::string suggested = suggestedName ? suggestedName : "";
    if (DownloadEntry* entry = mutableEntry(*id)) {
        entry->name = suggested;
        changed_.emit();
    }
    // Only the last part of a suggested name that looks like a path is offered as the file name.
    char* base = g_path_get_basename(suggested.c_str());
    std::string fileName = base;
    g_free(base);
    if (fileName == "." || fileName == G_DIR_SEPARATOR_S) fileName.clear();

    GtkWindow* window = downloads_[*id].window.get();
    GtkWindow* parent = canAttachDialog(window) ? window : nullptr;
    std::weak_ptr<bool> alive = alive_;
    Uuid key = *id;
    // Answered later: the engine waits until a destination is set or the download is cancelled.
    chooser_->chooseLocation(fileName, parent, [this, alive, key](std::optional<std::string> path) {
        if (alive.expired()) return;
        destinationChosen(key, std::move(path));
    });
    return true;
}

void DownloadManager::destinationChosen(const Uuid& id, std::optional<std::string> path) {
    auto found = downloads_.find(id);
    if (found == downloads_.end()) return;  // it ended meanwhile
    GObjectPtr<WebKitDownload> download = found->second.download;
    if (!path || path->empty()) {
        end(id, std::string(download_status::cancelled));
        webkit_download_cancel(download.get());
        return;
    }
    // Nothing is written into the private folder while what an earlier process left is removed.
    if (!folder_.ready()) {
        std::weak_ptr<bool> alive = alive_;
        folder_.whenReady([this, alive, id, chosen = *path] {
            if (!alive.expired()) destinationChosen(id, chosen);
        });
        return;
    }
    if (auto prepared = folder_.prepare(); !prepared) {
        const std::string& error = prepared.error().message;
        logError(LogCategory::browser, "Download folder unavailable: " + error);
        end(id, localizedFormat(download_status::couldNotSave, {error}));
        webkit_download_cancel(download.get());
        return;
    }
    if (DownloadEntry* entry = mutableEntry(id)) {
        entry->destination = *path;
        entry->status = std::string(download_status::downloading);
    }
    std::string temporary = folder_.path() + G_DIR_SEPARATOR_S + kTemporaryPrefix + Uuid::random().string();
    found->second.temporaryFile = temporary;
    char* uri = g_filename_to_uri(temporary.c_str(), nullptr, nullptr);
    webkit_download_set_destination(download.get(), uri);
    g_free(uri);
    changed_.emit();
}

void DownloadManager::onFinished(WebKitDownload* download, gpointer self) {
    static_cast<DownloadManager*>(self)->finished(download);
}

void DownloadManager::finished(WebKitDownload* download) {
    auto id = idOf(download);
    if (!id) return;
    Running& running = downloads_[*id];
    if (running.placement) return;
    const DownloadEntry* entry = this->entry(*id);
    if (!running.temporaryFile || !entry || !entry->destination) {
        end(*id, std::string(download_status::destinationUnavailable));
        return;
    }
    // Runs off the main thread, and the entry stays active until it is done. The chosen name
    // changes only once the whole file is there.
    std::weak_ptr<bool> alive = alive_;
    const Uuid key = *id;
    const std::string temporary = *running.temporaryFile;
    auto done = [this, alive, key, temporary](const Status& placed) {
        // Also when the manager is gone: a file that did not reach its place is of no use.
        if (!placed) g_remove(temporary.c_str());
        if (alive.expired()) return;
        moved(key, placed);
    };
    running.placement =
        FilePlacement::start(temporary, *entry->destination, std::move(done), placementSeams_, records_);
}

void DownloadManager::moved(const Uuid& id, const Status& placed) {
    auto found = downloads_.find(id);
    if (found == downloads_.end()) return;
    if (placed) {
        found->second.temporaryFile.reset();  // so that ending does not delete the moved file
        end(id, std::string(download_status::complete));
        return;
    }
    end(id, localizedFormat(download_status::couldNotSave, {placed.error().message}));
}

void DownloadManager::onFailed(WebKitDownload* download, GError* error, gpointer self) {
    static_cast<DownloadManager*>(self)->failed(download, error);
}

void DownloadManager::failed(WebKitDownload* download, const GError* error) {
    auto id = idOf(download);
    if (!id) return;
    int code = error ? error->code : 0;
    if (error && isCancellation(error)) {
        end(*id, std::string(download_status::cancelled));
    } else {
        const std::string temporary = downloads_[*id].temporaryFile.value_or("");
        const DownloadEntry* entry = this->entry(*id);
        const std::string destination = entry && entry->destination ? *entry->destination : "";
        end(*id, namingDestination(error && error->message ? error->message : "", temporary, destination));
    }
    logError(LogCategory::browser, "Download failed: " + std::to_string(code));
}

void DownloadManager::cancel(const Uuid& id) {
    auto found = downloads_.find(id);
    if (found == downloads_.end()) return;
    // A file that has landed is about to be reported complete.
    if (found->second.placement && !found->second.placement->cancel()) return;
    GObjectPtr<WebKitDownload> download = found->second.download;
    end(id, std::string(download_status::cancelled));
    webkit_download_cancel(download.get());
}

void DownloadManager::cancelAll() {
    std::vector<Uuid> running;
    for (const auto& [id, item] : downloads_) running.push_back(id);
    for (const Uuid& id : running) cancel(id);
}

void DownloadManager::sweepLeftovers(std::function<void()> done) {
    auto remaining = std::make_shared<int>(records_ ? 2 : 1);
    auto finished = [remaining, done = std::move(done)] {
        if (--*remaining == 0 && done) done();
    };
    folder_.sweep(finished);
    if (records_) PartialFileRecords::sweepInBackground(records_, finished);
}

void DownloadManager::reveal(const Uuid& id, LaunchFailed failed) {
    const DownloadEntry* found = entry(id);
    if (!found || !found->destination || !reveal_) return;
    reveal_(*found->destination, std::move(failed));
}

void DownloadManager::clearFinished() {
    auto removed = std::remove_if(entries_.begin(), entries_.end(), [](const DownloadEntry& e) { return !e.isActive; });
    if (removed == entries_.end()) return;
    entries_.erase(removed, entries_.end());
    changed_.emit();
}

}  // namespace quenlith
