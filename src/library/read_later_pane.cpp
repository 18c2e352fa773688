#include "library/read_later_pane.hpp"

#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/menuitem.h>

#include "library/empty_state.hpp"
#include "library/library_pane_context.hpp"
#include "model/clip_draft.hpp"
#include "model/library_filters.hpp"
#include "model/library_presentation.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "ui/action_button.hpp"

namespace quenlith {

namespace {

Gtk::Label* captionLabel(const std::string& text) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    label->set_xalign(0);
    label->set_line_wrap(true);
    label->get_style_context()->add_class("dim-label");
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
    save->get_style_context()->add_class("suggested-action");
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

    list_.set_selection_mode(Gtk::SELECTION_NONE);
    scroll_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll_.add(list_);
    content_.add(emptyHolder_, "empty");
    content_.add(scroll_, "list");
    content_.set_vexpand(true);
    pack_start(content_, Gtk::PACK_EXPAND_WIDGET);

    footnote_.set_xalign(0);
    footnote_.set_line_wrap(true);
    footnote_.get_style_context()->add_class("dim-label");
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

    for (Gtk::Widget* row : list_.get_children()) list_.remove(*row);
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
    for (const auto& clip : shown_) list_.append(*makeRow(clip));
    list_.show_all();
    content_.set_visible_child(scroll_);
}

Gtk::Widget* ReadLaterPane::makeRow(const PageClip& clip) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 14));
    row->set_margin_top(10);
    row->set_margin_bottom(10);
    const bool unread = filter_ == ReadingState::unread;
    const std::string toggleText = localizedString(unread ? "Mark Finished" : "Mark Unread");

    auto* state = Gtk::manage(new ActionButton(unread ? "circle" : "checkmark.circle.fill", toggleText,
                                               [this, clip] { toggleReadingState(clip); }));
    state->set_valign(Gtk::ALIGN_CENTER);
    row->pack_start(*state, Gtk::PACK_SHRINK);

    auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 5));
    auto* title = Gtk::manage(new Gtk::Label(clip.title));
    title->set_xalign(0);
    title->set_line_wrap(true);
    title->set_lines(2);
    title->set_ellipsize(Pango::ELLIPSIZE_END);
    Pango::AttrList medium;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_MEDIUM);
    medium.insert(weight);
    title->set_attributes(medium);
    texts->pack_start(*title, Gtk::PACK_SHRINK);
    auto* detail = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    auto* host = captionLabel(hostText(clip.address));
    host->set_line_wrap(false);
    host->set_ellipsize(Pango::ELLIPSIZE_END);
    detail->pack_start(*host, Gtk::PACK_SHRINK);
    if (auto percent = savedPercent(clip.readingPosition))
        detail->pack_start(*captionLabel(localizedFormat("Saved at %ld%%", {static_cast<std::int64_t>(*percent)})),
                           Gtk::PACK_SHRINK);
    texts->pack_start(*detail, Gtk::PACK_SHRINK);
    row->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);

    auto* open = Gtk::manage(new Gtk::Button(localizedString("Continue Reading")));
    open->set_valign(Gtk::ALIGN_CENTER);
    open->signal_clicked().connect([this, clip] { continueReading(clip); });
    row->pack_start(*open, Gtk::PACK_SHRINK);

    auto* more = Gtk::manage(new Gtk::MenuButton());
    more->set_relief(Gtk::RELIEF_NONE);
    more->set_valign(Gtk::ALIGN_CENTER);
    more->set_image_from_icon_name("view-more-horizontal-symbolic");
    auto* menu = Gtk::manage(new Gtk::Menu());
    auto addItem = [menu](const std::string& text, std::function<void()> action) {
        auto* item = Gtk::manage(new Gtk::MenuItem(text));
        item->signal_activate().connect(std::move(action));
        menu->append(*item);
    };
    addItem(toggleText, [this, clip] { toggleReadingState(clip); });
    addItem(localizedString("Edit"), [this, clip] { context_.editClip(clip); });
    addItem(localizedString("Remove from Read Later"), [this, clip] { removeFromReadLater(clip); });
    menu->show_all();
    more->set_popup(*menu);
    row->pack_start(*more, Gtk::PACK_SHRINK);
    return row;
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
