#include "library/read_later_pane.hpp"

#include <atkmm/object.h>
#include <glibmm/markup.h>
#include <gtkmm/menuitem.h>

#include "library/empty_state.hpp"
#include "library/library_pane_context.hpp"
#include "library/row_list.hpp"
#include "model/clip_draft.hpp"
#include "model/isolated_text.hpp"
#include "model/library_filters.hpp"
#include "model/library_presentation.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "ui/cell_names.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "ui/menu_popup.hpp"

namespace quenlith {

namespace {

Gtk::Label* captionLabel(const std::string& text) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    label->set_xalign(0);
    label->set_line_wrap(true);
    styleSecondaryText(*label);
    Pango::AttrList small;
    auto scale = Pango::Attribute::create_attr_scale(0.85);
    small.insert(scale);
    label->set_attributes(small);
    return label;
}

}  // namespace

ReadLaterPane::ReadLaterPane(LibraryPaneContext& context, std::function<void()> onSaveLater)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 14), context_(context), onSaveLater_(std::move(onSaveLater)),
      unread_(localizedString("Unread")), finished_(localizedString("Finished")),
      footnote_(localizedString("Restores the saved scroll position on regular pages. Sites with their own "
                                "scrolling areas or changing content may restore differently. Pages are not "
                                "downloaded for offline use.")) {
    property_margin() = 20;

    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
    auto* headline = Gtk::manage(new Gtk::Label(localizedString("Pick up where you left off.")));
    headline->set_xalign(0);
    Pango::AttrList bold;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_BOLD);
    bold.insert(weight);
    headline->set_attributes(bold);
    texts->pack_start(*headline, Gtk::PACK_SHRINK);
    texts->pack_start(*captionLabel(localizedString(
                          "Save a page with Ctrl+Shift+D. Save again to update its reading position.")),
                      Gtk::PACK_SHRINK);
    header->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);
    auto* save = Gtk::manage(new Gtk::Button(localizedString("Save Current Page")));
    styleSuggestedAction(*save);
    save->set_valign(Gtk::ALIGN_CENTER);
    save->signal_clicked().connect([this] {
        if (onSaveLater_) onSaveLater_();
    });
    header->pack_end(*save, Gtk::PACK_SHRINK);
    pack_start(*header, Gtk::PACK_SHRINK);

    auto* filterRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    auto* picker = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 0));
    picker->get_style_context()->add_class("linked");
    picker->set_size_request(230, -1);
    picker->get_accessible()->set_name(localizedString("Reading Status"));
    finished_.join_group(unread_);
    for (Gtk::RadioButton* option : {&unread_, &finished_}) {
        option->set_mode(false);
        picker->pack_start(*option, Gtk::PACK_EXPAND_WIDGET);
    }
    unread_.signal_toggled().connect([this] {
        setFilter(unread_.get_active() ? ReadingState::unread : ReadingState::finished);
    });
    filterRow->pack_start(*picker, Gtk::PACK_SHRINK);
    auto* add = Gtk::manage(new Gtk::Button(localizedString("Add Link")));
    add->signal_clicked().connect([this] { addLink(); });
    filterRow->pack_end(*add, Gtk::PACK_SHRINK);
    pack_start(*filterRow, Gtk::PACK_SHRINK);

    model_ = Gtk::ListStore::create(columns_);
    list_.set_model(model_);
    nameControl(list_, localizedString("Read Later list"));
    prepareRowList(list_);
    auto iconColumn = [this](const Gtk::TreeModelColumn<Glib::ustring>& column) {
        auto* cell = Gtk::manage(new Gtk::CellRendererPixbuf());
        cell->property_xpad() = 6;
        auto* made = Gtk::manage(new Gtk::TreeViewColumn());
        made->pack_start(*cell, false);
        made->add_attribute(cell->property_icon_name(), column);
        return made;
    };
    // The state mark is drawn in the theme's accent, which a cell cannot take from style classes.
    auto* stateCell = Gtk::manage(new Gtk::CellRendererPixbuf());
    stateCell->property_xpad() = 6;
    stateColumn_ = Gtk::manage(new Gtk::TreeViewColumn());
    stateColumn_->pack_start(*stateCell, false);
    stateColumn_->add_attribute(stateCell->property_pixbuf(), columns_.stateIcon);
    list_.append_column(*stateColumn_);
    list_.signal_style_updated().connect([this] {
        if (!shown_.empty()) refresh();
    });
    appendMarkupColumn(list_, columns_.markup, 10);
    auto* action = Gtk::manage(new Gtk::CellRendererText());
    action->property_underline() = Pango::UNDERLINE_SINGLE;
    action->property_xpad() = 8;
    actionColumn_ = Gtk::manage(new Gtk::TreeViewColumn());
    actionColumn_->pack_start(*action, false);
    actionColumn_->add_attribute(action->property_text(), columns_.action);
    list_.append_column(*actionColumn_);
    moreColumn_ = iconColumn(columns_.moreIcon);
    list_.append_column(*moreColumn_);
    setColumnTooltip(list_, stateColumn_, [this] { return toggleText(); });
    // The state mark, "Continue Reading" and the "…" act on their row: they read as what they do to
    // which page.
    nameCells(*stateColumn_, [this](int row) { return rowControlName(toggleText(), row); });
    nameCells(*moreColumn_, [this](int row) { return rowControlName(localizedString("More actions"), row); });
    nameCells(*actionColumn_, [this](int row) { return rowControlName(localizedString("Continue Reading"), row); });
    list_.signal_row_activated().connect([this](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn* column) {
        const auto row = static_cast<std::size_t>(path[0]);
        if (row >= shown_.size()) return;
        const PageClip clip = shown_[row];
        if (column == stateColumn_)
            toggleReadingState(clip);
        else if (column == actionColumn_)
            continueReading(clip);
        else if (column == moreColumn_)
            showMenu(row);
    });
    scroll_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll_.add(list_);
    content_.add(emptyHolder_, "empty");
    content_.add(scroll_, "list");
    content_.set_vexpand(true);
    pack_start(content_, Gtk::PACK_EXPAND_WIDGET);

    footnote_.set_xalign(0);
    footnote_.set_line_wrap(true);
    styleSecondaryText(footnote_);
    pack_start(footnote_, Gtk::PACK_SHRINK);
}

void ReadLaterPane::setFilter(ReadingState state) {
    filter_ = state;
    Gtk::RadioButton& option = state == ReadingState::unread ? unread_ : finished_;
    if (!option.get_active()) option.set_active(true);  // toggles back into setFilter once
    refresh();
}

void ReadLaterPane::refresh() {
    shown_.clear();
    for (const PageClip* clip : readLaterClips(context_.library.document().clips, filter_, LibraryQuery(context_.query)))
        shown_.push_back(*clip);

    for (Gtk::Widget* old : emptyHolder_.get_children()) emptyHolder_.remove(*old);
    if (shown_.empty()) {
        emptyHolder_.pack_start(
            *makeEmptyState("bookmark", context_.query.empty() ? "Nothing Here Yet" : "No Matching Pages",
                            "Keep a page for later, continue reading, then mark it finished. Your bookmarks and "
                            "excerpts are kept in Bookmarks."),
            Gtk::PACK_EXPAND_WIDGET);
        emptyHolder_.show_all();
        content_.set_visible_child(emptyHolder_);
        return;
    }
    const bool unread = filter_ == ReadingState::unread;
    const auto stateIcon = accentSymbol(list_, unread ? "circle" : "checkmark.circle.fill", 20);
    const std::string moreIcon = iconNameForSymbol("ellipsis");
    const std::string action = localizedString("Continue Reading");
    list_.unset_model();
    model_->clear();
    for (const auto& clip : shown_) {
        std::string detail = hostText(clip.address);
        if (auto percent = savedPercent(clip.readingPosition))
            detail += "  " + localizedFormat("Saved at %ld%%", {static_cast<std::int64_t>(*percent)});
        auto row = *model_->append();
        row[columns_.stateIcon] = stateIcon;
        row[columns_.markup] = "<span weight=\"500\">" + Glib::Markup::escape_text(shownName(clip.title)) +
                               "</span>\n" + secondaryLineMarkup(detail);
        row[columns_.action] = action;
        row[columns_.moreIcon] = moreIcon;
    }
    list_.set_model(model_);
    content_.set_visible_child(scroll_);
}

std::string ReadLaterPane::rowControlName(const std::string& action, int row) const {
    const auto index = static_cast<std::size_t>(row);
    return index < shown_.size() ? nameInRow(action, shown_[index].title) : action;
}

std::string ReadLaterPane::toggleText() const {
    return localizedString(filter_ == ReadingState::unread ? "Mark Finished" : "Mark Unread");
}

void ReadLaterPane::showMenu(std::size_t row) {
    if (row >= shown_.size()) return;
    const PageClip clip = shown_[row];
    menu_ = std::make_unique<Gtk::Menu>();
    auto addItem = [this](const std::string& text, std::function<void()> action) {
        auto* item = Gtk::manage(new Gtk::MenuItem(text));
        item->signal_activate().connect(std::move(action));
        menu_->append(*item);
    };
    addItem(toggleText(), [this, clip] { toggleReadingState(clip); });
    addItem(localizedString("Edit"), [this, clip] { context_.editClip(clip); });
    addItem(localizedString("Remove from Read Later"), [this, clip] { removeFromReadLater(clip); });
    menu_->show_all();
    menu_->attach_to_widget(list_);
    // Below the "…" it was opened from, by a click, a key or a screen reader's action alike.
    Gdk::Rectangle cell;
    list_.get_cell_area(Gtk::TreeModel::Path(std::to_string(row)), *moreColumn_, cell);
    popupMenuBelow(*menu_, list_.get_bin_window(), cell);
}

void ReadLaterPane::toggleReadingState(const PageClip& clip) {
    const ReadingState next = filter_ == ReadingState::unread ? ReadingState::finished : ReadingState::unread;
    context_.library.update([&](LibraryDocument& document) { document.setReadingState(next, clip.id); });
}

void ReadLaterPane::removeFromReadLater(const PageClip& clip) {
    context_.library.update([&](LibraryDocument& document) { document.setReadingState(std::nullopt, clip.id); });
}

void ReadLaterPane::continueReading(const PageClip& clip) {
    if (context_.openSavedPage) context_.openSavedPage(clip);
}

void ReadLaterPane::addLink() { context_.editClip(blankClip(systemClock().now(), ReadingState::unread)); }

}  // namespace quenlith
