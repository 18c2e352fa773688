#pragma once

#include <map>
#include <memory>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/progressbar.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>

#include "model/download_list.hpp"

namespace quenlith {

// The byte text of a running download: "1.0 MB", or "1.0 MB / 10.5 MB" when the size is known.
std::string downloadByteText(std::int64_t received, std::int64_t expected);

// "Downloads": this launch's downloads, newest first, each with its status, progress while it
// runs, "Cancel" while it runs and "Show in Files" once complete, and "Clear Finished". It reads
// the manager's entries and calls its operations; it keeps nothing itself. Main thread only.
class DownloadsWindow : public Gtk::Window {
public:
    explicit DownloadsWindow(DownloadList& downloads);

    // The widgets of one entry's row.
    struct Row {
        Gtk::Label name;
        Gtk::Label status;
        Gtk::ProgressBar progress;
        Gtk::Label bytes;
        Gtk::Button button;
        Gtk::Image icon;
    };
    // The row of an entry, or nullptr.
    Row* row(const Uuid& id);
    Gtk::Button& clearFinishedButton() { return clear_; }
    bool showsEmptyText() const { return empty_.get_visible(); }
    std::size_t rowCount() const { return rows_.size(); }

private:
    void refresh();
    void showEntry(Row& row, const DownloadEntry& entry);

    DownloadList& downloads_;
    Gtk::Box content_{Gtk::ORIENTATION_VERTICAL, 12};
    Gtk::Box header_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Label title_;
    Gtk::Button clear_;
    Gtk::Label empty_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
    std::vector<Uuid> order_;
    std::map<Uuid, std::unique_ptr<Row>> rows_;
    // The file manager answers later; the window may be gone by then.
    std::shared_ptr<DownloadsWindow*> alive_ = std::make_shared<DownloadsWindow*>(this);
};

}  // namespace quenlith
