#include "settings/downloads_window.hpp"

#include <algorithm>

#include "model/localization.hpp"
#include "ui/alert.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

std::string byteCount(std::int64_t bytes) {
    gchar* text = g_format_size(static_cast<guint64>(std::max<std::int64_t>(bytes, 0)));
    std::string formatted = text;
    g_free(text);
    return formatted;
}

}  // namespace

std::string downloadByteText(std::int64_t received, std::int64_t expected) {
    if (expected < 1) return byteCount(received);
    return byteCount(received) + " / " + byteCount(expected);
}

DownloadsWindow::DownloadsWindow(DownloadList& downloads)
    : downloads_(downloads),
      title_(localizedString("Downloads")),
      clear_(localizedString("Clear Finished")),
      empty_(localizedString("Downloads appear here after you choose where to save them.")) {
    set_title(localizedString("Downloads"));
    set_default_size(560, 380);
    content_.set_border_width(20);
    styleHeadline(title_);
    header_.pack_start(title_, Gtk::PACK_SHRINK);
    header_.pack_end(clear_, Gtk::PACK_SHRINK);
    clear_.signal_clicked().connect([this] { downloads_.clearFinished(); });
    content_.pack_start(header_, Gtk::PACK_SHRINK);
    styleSecondaryText(empty_);
    empty_.set_no_show_all(true);
    content_.pack_start(empty_, Gtk::PACK_EXPAND_WIDGET);
    list_.set_selection_mode(Gtk::SELECTION_NONE);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(list_);
    scroller_.set_no_show_all(true);
    content_.pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    add(content_);
    content_.show_all();
    downloads_.signal_changed().connect(sigc::mem_fun(*this, &DownloadsWindow::refresh));
    refresh();
}

DownloadsWindow::Row* DownloadsWindow::row(const Uuid& id) {
    auto found = rows_.find(id);
    return found == rows_.end() ? nullptr : found->second.get();
}

void DownloadsWindow::refresh() {
    const auto& entries = downloads_.entries();
    std::vector<Uuid> order;
    for (const auto& entry : entries) order.push_back(entry.id);
    // Progress reports only update rows; a new or cleared entry lays the list out again.
    if (order != order_) {
        for (Gtk::Widget* child : list_.get_children()) {
            list_.remove(*child);
            delete child;
        }
        std::map<Uuid, std::unique_ptr<Row>> kept;
        for (const auto& entry : entries) {
            auto row = std::make_unique<Row>();
            const Uuid id = entry.id;
            auto* line = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 10));
            line->set_margin_top(5);
            line->set_margin_bottom(5);
            auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 5));
            row->name.set_xalign(0);
            row->name.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
            styleCaption(row->status);
            styleCaption(row->bytes);
            for (Gtk::Widget* part : std::initializer_list<Gtk::Widget*>{&row->name, &row->status, &row->progress,
                                                                          &row->bytes}) {
                part->set_no_show_all(true);
                texts->pack_start(*part, Gtk::PACK_SHRINK);
            }
            row->button.set_no_show_all(true);
            row->button.set_valign(Gtk::ALIGN_CENTER);
            row->button.signal_clicked().connect([this, id] {
                const DownloadEntry* current = downloads_.entry(id);
                if (!current) return;
                if (current->isActive)
                    downloads_.cancel(id);
                else
                    downloads_.reveal(id, [weak = std::weak_ptr<DownloadsWindow*>(alive_)](
                                              const std::string& reason) {
                        auto self = weak.lock();
                        if (!self) return;
                        presentAlert(AlertKind::error, localizedString("The file manager could not be opened."), reason, *self);
                    });
            });
            line->pack_start(row->icon, Gtk::PACK_SHRINK);
            line->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);
            line->pack_start(row->button, Gtk::PACK_SHRINK);
            list_.append(*line);
            kept[id] = std::move(row);
        }
        rows_ = std::move(kept);
        order_ = std::move(order);
        list_.show_all();
    }
    for (const auto& entry : entries) showEntry(*rows_.at(entry.id), entry);
    empty_.set_visible(entries.empty());
    scroller_.set_visible(!entries.empty());
}

void DownloadsWindow::showEntry(Row& row, const DownloadEntry& entry) {
    row.icon.set_from_icon_name(iconNameForSymbol(entry.isActive ? "arrow.down.circle" : "doc.text"),
                                Gtk::ICON_SIZE_DND);
    row.name.set_text(entry.name);
    row.name.show();
    // The list's row reads as its file; its button says which file it acts on.
    if (GtkWidget* listRow = gtk_widget_get_ancestor(GTK_WIDGET(row.name.gobj()), GTK_TYPE_LIST_BOX_ROW))
        nameControl(*Glib::wrap(listRow), entry.name);
    // Status texts are kept in English and shown in the interface language; a failure's own
    // description is shown as it came.
    row.status.set_text(localizedString(entry.status));
    row.status.show();
    const bool running = entry.isActive && entry.status == download_status::downloading;
    row.progress.set_visible(running && entry.expected >= 1);
    if (running && entry.expected >= 1)
        row.progress.set_fraction(static_cast<double>(entry.received) /
                                  static_cast<double>(std::max(entry.expected, entry.received)));
    row.bytes.set_visible(running);
    if (running) row.bytes.set_text(downloadByteText(entry.received, entry.expected));
    if (entry.isActive) {
        row.button.set_label(localizedString("Cancel"));
        nameInRow(row.button, localizedString("Cancel"), entry.name);
        row.button.show();
    } else if (entry.status == download_status::complete) {
        row.button.set_label(localizedString("Show in Files"));
        nameInRow(row.button, localizedString("Show in Files"), entry.name);
        row.button.show();
    } else {
        row.button.hide();
    }
}

}  // namespace quenlith
