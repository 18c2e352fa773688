#include "library/bookmarks_pane.hpp"

#include <algorithm>

#include <glibmm/markup.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/textview.h>

#include "library/empty_state.hpp"
#include "library/library_pane_context.hpp"
#include "library/row_list.hpp"
#include "model/address.hpp"
#include "model/clip_draft.hpp"
#include "model/isolated_text.hpp"
#include "model/library_filters.hpp"
#include "model/library_presentation.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/uri_components.hpp"
#include "ui/cell_names.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

constexpr int kListMinimumWidth = 210;
constexpr int kListMaximumWidth = 310;

// One line of a title: a title with line breaks shows its first line.
std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

BookmarksPane::BookmarksPane(LibraryPaneContext& context,
                             std::function<void(const std::vector<PageClip>&)> onExportNotes)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0), context_(context), onExportNotes_(std::move(onExportNotes)),
      export_(localizedString("Export Markdown…")) {
    auto* toolbar = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    toolbar->property_margin() = 12;
    auto* collectionLabel = Gtk::manage(new Gtk::Label(localizedString("Collection")));
    toolbar->pack_start(*collectionLabel, Gtk::PACK_SHRINK);
    collection_.set_size_request(200, -1);
    nameControl(collection_, localizedString("Collection"));
    toolbar->pack_start(collection_, Gtk::PACK_SHRINK);
    collection_.signal_changed().connect([this] {
        if (updating_) return;
        const int active = collection_.get_active_row_number();
        if (active < 0) return;
        setFolder(active == 0 ? std::string() : collections_[static_cast<std::size_t>(active - 1)]);
    });
    auto* add = Gtk::manage(new Gtk::Button(localizedString("Add Bookmark")));
    add->signal_clicked().connect([this] { addBookmark(); });
    toolbar->pack_end(*add, Gtk::PACK_SHRINK);
    export_.signal_clicked().connect([this] { exportMarkdown(); });
    toolbar->pack_end(export_, Gtk::PACK_SHRINK);
    pack_start(*toolbar, Gtk::PACK_SHRINK);

    model_ = Gtk::ListStore::create(columns_);
    list_.set_model(model_);
    nameControl(list_, localizedString("Bookmark list"));
    list_.set_headers_visible(false);
    // A row's text reads as it is drawn, without bidirectional controls.
    readCellTextsWithoutIsolation();
    auto* cell = Gtk::manage(new Gtk::CellRendererText());
    cell->property_ellipsize() = Pango::ELLIPSIZE_END;
    cell->property_ypad() = 6;
    auto* column = Gtk::manage(new Gtk::TreeViewColumn());
    column->pack_start(*cell, true);
    column->add_attribute(cell->property_markup(), columns_.markup);
    list_.append_column(*column);
    list_.get_selection()->set_mode(Gtk::SELECTION_SINGLE);
    list_.get_selection()->signal_changed().connect([this] {
        if (updating_) return;
        auto row = list_.get_selection()->get_selected();
        if (!row) return;
        const int index = (*row)[columns_.index];
        selected_ = shown_[static_cast<std::size_t>(index)].id;
        showDetail();
    });
    listScroll_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    // The list starts 240 pixels wide; the person drags the split between 210 and 310.
    listScroll_.set_size_request(kListMinimumWidth, -1);
    listScroll_.add(list_);
    split_.pack1(listScroll_, false, false);
    split_.set_position(240);
    split_.property_position().signal_changed().connect([this] {
        if (split_.get_position() > kListMaximumWidth) split_.set_position(kListMaximumWidth);
    });
    split_.pack2(detail_, true, false);
    // Its handle takes the focus (F8) and moves with the arrow keys: named by what it divides.
    nameControl(split_, localizedString("Bookmark list and details"));
    content_.add(emptyHolder_, "empty");
    content_.add(split_, "list");
    content_.set_vexpand(true);
    pack_start(content_, Gtk::PACK_EXPAND_WIDGET);
}

void BookmarksPane::setFolder(const std::string& folder) {
    folder_ = folder;
    refresh();
}

void BookmarksPane::select(const std::optional<Uuid>& id) {
    selected_ = id;
    refresh();
}

const PageClip* BookmarksPane::selectedClip() const {
    if (!selected_) return nullptr;
    auto found = std::find_if(shown_.begin(), shown_.end(), [&](const PageClip& clip) { return clip.id == *selected_; });
    return found == shown_.end() ? nullptr : &*found;
}

void BookmarksPane::rebuildCollections() {
    collections_ = collectionNames(context_.library.document().clips);
    collection_.remove_all();
    collection_.append(localizedString("All Collections"));
    for (const auto& name : collections_) collection_.append(name);
    if (folder_.empty()) {
        collection_.set_active(0);
        return;
    }
    // A chosen collection that is gone stays chosen (and shows nothing) until another is picked.
    auto found = std::find(collections_.begin(), collections_.end(), folder_);
    collection_.set_active(found == collections_.end() ? -1 : static_cast<int>(found - collections_.begin()) + 1);
}

void BookmarksPane::refresh() {
    updating_ = true;
    rebuildCollections();
    shown_.clear();
    for (const PageClip* clip : filteredClips(context_.library.document().clips, folder_, LibraryQuery(context_.query)))
        shown_.push_back(*clip);
    export_.set_sensitive(!shown_.empty());

    for (Gtk::Widget* old : emptyHolder_.get_children()) emptyHolder_.remove(*old);
    if (shown_.empty()) {
        model_->clear();
        emptyHolder_.pack_start(*makeEmptyState("doc.text", "No Bookmarks Yet",
                                                "Save a page or selected passage from the browser menu, or add a "
                                                "bookmark here."),
                                Gtk::PACK_EXPAND_WIDGET);
        emptyHolder_.show_all();
        content_.set_visible_child(emptyHolder_);
        updating_ = false;
        return;
    }
    // Filled detached from the view: one redraw for the whole list.
    list_.unset_model();
    model_->clear();
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const PageClip& clip = shown_[i];
        auto row = *model_->append();
        row[columns_.markup] = "<span weight=\"500\">" +
                               Glib::Markup::escape_text(shownName(firstLine(clip.title))) + "</span>\n" +
                               secondaryLineMarkup(bookmarkSubtitle(clip));
        row[columns_.index] = static_cast<int>(i);
    }
    list_.set_model(model_);
    if (const PageClip* clip = selectedClip()) {
        const auto position = static_cast<int>(clip - shown_.data());
        list_.get_selection()->select(Gtk::TreePath(std::to_string(position)));
    }
    content_.set_visible_child(split_);
    updating_ = false;
    showDetail();
}

bool BookmarksPane::canQueue(const PageClip& clip) { return canQueueForReadLater(clip.address); }

void BookmarksPane::showDetail() {
    for (Gtk::Widget* old : detail_.get_children()) detail_.remove(*old);
    const PageClip* shownClip = selectedClip();
    if (!shownClip) {
        auto* none = Gtk::manage(new Gtk::Label(localizedString("Select a bookmark")));
        styleSecondaryText(*none);
        none->set_vexpand(true);
        detail_.pack_start(*none, Gtk::PACK_EXPAND_WIDGET);
        detail_.show_all();
        return;
    }
    const PageClip clip = *shownClip;
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12));
    box->property_margin() = 20;

    // The selected bookmark's title is shown whole, as long as the library keeps titles.
    auto* title = Gtk::manage(new Gtk::Label());
    showText(*title, shownName(clip.title, kClipTitleCharacters));
    title->set_xalign(0);
    title->set_line_wrap(true);
    makeCopyable(*title);
    Pango::AttrList style;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD);
    auto scale = Pango::Attribute::create_attr_scale(1.2);
    style.insert(weight);
    style.insert(scale);
    title->set_attributes(style);
    box->pack_start(*title, Gtk::PACK_SHRINK);

    if (auto website = normalizedWebsiteURL(clip.address)) {
        auto* link = Gtk::manage(new Gtk::Button());
        link->set_relief(Gtk::RELIEF_NONE);
        link->set_halign(Gtk::ALIGN_START);
        auto* content = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4));
        content->pack_start(*Gtk::manage(new Gtk::Label(uriHost(*website).value_or(*website))), Gtk::PACK_SHRINK);
        auto* arrow = Gtk::manage(new Gtk::Image());
        arrow->set_from_icon_name(iconNameForSymbol("arrow.up.right"), Gtk::ICON_SIZE_BUTTON);
        content->pack_start(*arrow, Gtk::PACK_SHRINK);
        link->add(*content);
        link->signal_clicked().connect([this, clip] {
            if (context_.openSavedPage) context_.openSavedPage(clip);
        });
        box->pack_start(*link, Gtk::PACK_SHRINK);
    }

    auto* scroll = Gtk::manage(new Gtk::ScrolledWindow());
    scroll->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll->set_vexpand(true);
    auto* text = Gtk::manage(new Gtk::TextView());
    text->set_editable(false);
    text->set_cursor_visible(false);
    text->set_wrap_mode(Gtk::WRAP_WORD_CHAR);
    text->get_buffer()->set_text(clip.text.empty() ? localizedString("Saved page link. Select text on a webpage to "
                                                                     "keep an excerpt with its source.")
                                                   : clip.text);
    // It takes the focus, the excerpt (or the note in its place) read after this name.
    nameControl(*text, localizedString("Source Excerpt"));
    scroll->add(*text);
    box->pack_start(*scroll, Gtk::PACK_EXPAND_WIDGET);

    auto* actions = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    auto* edit = Gtk::manage(new Gtk::Button(localizedString("Edit")));
    edit->signal_clicked().connect([this, clip] { context_.editClip(clip); });
    auto* later = Gtk::manage(new Gtk::Button(localizedString("Read Later")));
    later->set_sensitive(canQueue(clip));
    later->signal_clicked().connect([this, clip] { queueForReadLater(clip); });
    auto* remove = Gtk::manage(new Gtk::Button(localizedString("Delete")));
    remove->get_style_context()->add_class("destructive-action");
    remove->signal_clicked().connect([this, clip] { confirmDeleteBookmark(clip); });
    actions->pack_start(*edit, Gtk::PACK_SHRINK);
    actions->pack_start(*later, Gtk::PACK_SHRINK);
    actions->pack_end(*remove, Gtk::PACK_SHRINK);
    box->pack_start(*actions, Gtk::PACK_SHRINK);
    detail_.pack_start(*box, Gtk::PACK_EXPAND_WIDGET);
    detail_.show_all();
}

void BookmarksPane::exportMarkdown() {
    if (shown_.empty() || !onExportNotes_) return;
    onExportNotes_(shown_);
}

void BookmarksPane::addBookmark() { context_.editClip(blankClip(systemClock().now())); }

void BookmarksPane::queueForReadLater(const PageClip& clip) {
    if (!canQueue(clip)) return;
    if (context_.library.update(
            [&](LibraryDocument& document) { document.setReadingState(ReadingState::unread, clip.id); }))
        context_.showUnreadReadLater();
}

void BookmarksPane::confirmDeleteBookmark(const PageClip& clip) {
    context_.ask(localizedString("Delete this bookmark and its saved excerpt?"),
                 [this, id = clip.id] { deleteBookmark(id); });
}

void BookmarksPane::deleteBookmark(const Uuid& id) {
    context_.library.update([&](LibraryDocument& document) {
        std::erase_if(document.clips, [&](const PageClip& clip) { return clip.id == id; });
    });
    selected_.reset();
    refresh();
}

}  // namespace quenlith
