#include "launcher/quick_open_window.hpp"

#include <gdk/gdkkeysyms.h>
#include <glibmm/main.h>
#include <gtkmm/image.h>
#include <gtkmm/separator.h>

#include "launcher/launcher_style.hpp"
#include "model/address_limit.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "ui/active_descendant.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

QuickOpenKey keyOf(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down: return QuickOpenKey::down;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up: return QuickOpenKey::up;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: return QuickOpenKey::returnKey;
        case GDK_KEY_Escape: return QuickOpenKey::escape;
        default: return QuickOpenKey::other;
    }
}

Gtk::Image* symbolImage(std::string_view symbol, int pixels) {
    auto* image = Gtk::manage(new Gtk::Image());
    installApplicationIcons();
    image->set_from_icon_name(iconNameForSymbol(symbol), Gtk::ICON_SIZE_LARGE_TOOLBAR);
    image->set_pixel_size(pixels);
    return image;
}

Gtk::Label* oneLine(Gtk::Label* label) {
    ellipsizeWithinWidth(*label);
    label->set_xalign(0);
    return label;
}

void preeditChanged(GtkEntry*, const char* preedit, gpointer text) {
    *static_cast<std::string*>(text) = preedit ? preedit : "";
}

}  // namespace

QuickOpenWindow::QuickOpenWindow(Links links, std::optional<ContentSize> workArea) : links_(std::move(links)) {
    installLauncherStyle();
    set_resizable(false);
    const ContentSize size = quickOpenContentSize(workArea);
    content_.setFrame(size.width, size.height);

    searchRow_.set_border_width(20);
    searchRow_.pack_start(*symbolImage("magnifyingglass", 20), Gtk::PACK_SHRINK);
    // The row's own magnifying glass leads it; the search field's built-in one would repeat it.
    gtk_entry_set_icon_from_icon_name(GTK_ENTRY(field_.gobj()), GTK_ENTRY_ICON_PRIMARY, nullptr);
    field_.set_placeholder_text(localizedString("Find tabs, websites, bookmarks or page groups…"));
    nameControl(field_, localizedString("Quick Open"));
    nameClearIcon(field_, localizedString("Clear Search"));
    Pango::FontDescription font = field_.get_pango_context()->get_font_description();
    font.set_size(16 * PANGO_SCALE);
    field_.override_font(font);
    // On a narrow screen the field gives way to Cancel: it asks for a few characters and takes
    // what the row leaves.
    field_.set_width_chars(1);
    searchRow_.pack_start(field_, Gtk::PACK_EXPAND_WIDGET);
    cancel_.set_label(localizedString("Cancel"));
    cancel_.set_relief(Gtk::RELIEF_NONE);
    cancel_.signal_clicked().connect([this] {
        if (links_.onCancel) links_.onCancel();
    });
    searchRow_.pack_start(cancel_, Gtk::PACK_SHRINK);
    content_.pack_start(searchRow_, Gtk::PACK_SHRINK);
    content_.pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);

    // A selected row is tinted and keeps the text's own colours, which read on it in every theme.
    list_.get_style_context()->add_class("quenlith-palette");
    list_.set_activate_on_single_click(true);
    list_.set_selection_mode(Gtk::SELECTION_SINGLE);
    nameControl(list_, localizedString("Quick Open Results"));
    // The field keeps the focus while its keys move through the list.
    relateControllerFor(field_, list_);
    auto* empty = makeLabel(
        localizedString("Open a website or save a bookmark to find it here. You can also type a URL or search query."),
        13, 400, "quenlith-secondary");
    empty->set_line_wrap(true);
    empty->set_margin_top(16);
    empty->set_margin_bottom(16);
    empty->show();
    list_.set_placeholder(*empty);
    list_.signal_row_activated().connect([this](Gtk::ListBoxRow* row) {
        if (row && row->get_index() >= 0 && static_cast<std::size_t>(row->get_index()) < rowIDs_.size())
            choose(rowIDs_[row->get_index()]);
    });
    // The search row is built once and moved behind the results whenever they change.
    auto* searchContent = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 12));
    searchContent->set_margin_top(10);
    searchContent->set_margin_bottom(10);
    searchContent->set_margin_start(14);
    searchContent->set_margin_end(14);
    searchContent->pack_start(*symbolImage("arrow.up.right", 16), Gtk::PACK_SHRINK);
    styleLabel(openOrSearchLabel_, "", 14);
    searchContent->pack_start(*oneLine(&openOrSearchLabel_), Gtk::PACK_EXPAND_WIDGET);
    openOrSearchRow_.add(*searchContent);
    openOrSearchRow_.show_all();
    list_.signal_row_selected().connect([this](Gtk::ListBoxRow* row) {
        if (selecting_ || !row || row->get_index() < 0) return;
        palette_.select(rowIDs_[static_cast<std::size_t>(row->get_index())]);
    });
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(list_);
    content_.pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    content_.pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);

    // The hints wrap on a narrow screen rather than widen the palette.
    auto* footer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    footer->set_border_width(14);
    auto* keys = makeLabel(localizedString("↑ ↓ Choose · Return Open · Esc Close"), 11, 400, "quenlith-secondary");
    auto* privacy = makeLabel(localizedString("Private tabs are not listed"), 11, 400, "quenlith-secondary");
    for (Gtk::Label* hint : {keys, privacy}) hint->set_line_wrap(true);
    keys->set_xalign(0);
    privacy->set_xalign(1);
    privacy->set_justify(Gtk::JUSTIFY_RIGHT);
    footer->pack_start(*keys, Gtk::PACK_SHRINK);
    footer->pack_end(*privacy, Gtk::PACK_SHRINK);
    content_.pack_start(*footer, Gtk::PACK_SHRINK);
    add(content_);
    content_.show_all();

    field_.signal_changed().connect([this] { queryChanged(); });
    field_.signal_key_press_event().connect(sigc::mem_fun(*this, &QuickOpenWindow::keyPressed), false);
    g_signal_connect(field_.gobj(), "preedit-changed", G_CALLBACK(preeditChanged), &preedit_);
    // Escape anywhere in the window cancels, as the Cancel button's key.
    signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval != GDK_KEY_Escape || !preedit_.empty()) return false;
            if (links_.onCancel) links_.onCancel();
            return true;
        },
        false);
    queryChanged();
    field_.grab_focus();
}

QuickOpenWindow::~QuickOpenWindow() {
    g_signal_handlers_disconnect_by_data(field_.gobj(), &preedit_);
    pendingRefresh_.disconnect();
    scrollRequest_.disconnect();
}

bool QuickOpenWindow::keyPressed(GdkEventKey* event) {
    auto command = quickOpenCommand(keyOf(event->keyval), !preedit_.empty());
    if (!command) return false;
    switch (*command) {
        case QuickOpenCommand::moveDown:
        case QuickOpenCommand::moveUp: {
            const auto before = palette_.selected();
            palette_.moveSelection(*command == QuickOpenCommand::moveDown ? 1 : -1);
            showSelection();
            // At either end the key changes nothing, and nothing new is said.
            if (palette_.selected() != before) announceSelection();
            break;
        }
        case QuickOpenCommand::submit: submit(); break;
        case QuickOpenCommand::cancel:
            if (links_.onCancel) links_.onCancel();
            break;
    }
    return true;
}

void QuickOpenWindow::queryChanged() {
    std::string query = field_.get_text();
    auto items = links_.results ? links_.results(query) : std::vector<QuickOpenItem>{};
    palette_.setQuery(std::move(query), std::move(items));
    rebuildRows();
    showSelection();
}

void QuickOpenWindow::refresh() {
    if (pendingRefresh_.connected()) return;
    pendingRefresh_ = Glib::signal_idle().connect([this] {
        palette_.setItems(links_.results ? links_.results(palette_.query()) : std::vector<QuickOpenItem>{});
        rebuildRows();
        showSelection();
        return false;
    });
}

QuickOpenWindow::ItemRow QuickOpenWindow::makeItemRow() {
    ItemRow made;
    auto* content = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 12));
    content->set_margin_top(6);
    content->set_margin_bottom(6);
    content->set_margin_start(14);
    content->set_margin_end(14);
    made.icon = Gtk::manage(new Gtk::Image());
    made.icon->set_pixel_size(20);
    made.icon->set_size_request(26, -1);
    made.icon->get_style_context()->add_class("quenlith-accent");
    content->pack_start(*made.icon, Gtk::PACK_SHRINK);
    auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
    made.title = oneLine(makeLabel("", 14, 500));
    made.detail = oneLine(makeLabel("", 11, 400, "quenlith-secondary"));
    texts->pack_start(*made.title, Gtk::PACK_SHRINK);
    texts->pack_start(*made.detail, Gtk::PACK_SHRINK);
    content->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);
    made.category = makeLabel("", 11, 400, "quenlith-secondary");
    content->pack_end(*made.category, Gtk::PACK_SHRINK);
    made.row = Gtk::manage(new Gtk::ListBoxRow());
    made.row->add(*content);
    made.row->show_all();
    return made;
}

void QuickOpenWindow::showItem(ItemRow& row, const QuickOpenItem& item) {
    // Only what differs is set: an unchanged label keeps its measured size.
    auto setText = [](Gtk::Label& label, const std::string& text) {
        if (label.get_text() != text) label.set_text(text);
    };
    if (row.symbol != item.icon) {
        installApplicationIcons();
        row.icon->set_from_icon_name(iconNameForSymbol(item.icon), Gtk::ICON_SIZE_LARGE_TOOLBAR);
        row.icon->set_pixel_size(20);
        row.symbol = item.icon;
    }
    showText(*row.title, shownName(item.title));
    setText(*row.detail, shownName(item.detail));
    setText(*row.category, item.category);
    // A row reads as what it opens and what kind of thing that is ("Mail, Website").
    nameInRow(*row.row, item.title, item.category);
}

void QuickOpenWindow::rebuildRows() {
    selecting_ = true;
    const auto& items = palette_.items();
    if (openOrSearchRow_.get_parent()) {
        // Taken out while highlighted, the row would keep its highlight and come back with it beside
        // the row highlighted meanwhile: the list clears only the rows it holds.
        if (openOrSearchRow_.is_selected()) list_.unselect_row(&openOrSearchRow_);
        list_.remove(openOrSearchRow_);
    }
    while (itemRows_.size() > items.size()) {
        gtk_widget_destroy(GTK_WIDGET(itemRows_.back().row->gobj()));
        itemRows_.pop_back();
    }
    while (itemRows_.size() < items.size()) {
        itemRows_.push_back(makeItemRow());
        list_.append(*itemRows_.back().row);
    }
    selecting_ = false;
    rowIDs_.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        showItem(itemRows_[i], items[i]);
        rowIDs_.push_back(items[i].id);
    }
    if (palette_.hasQuery()) {
        const std::string text = palette_.queryTooLong()
                                     ? addressTooLongMessage()
                                     : localizedFormat("Open or search: %@", {shownName(palette_.query())});
        openOrSearchLabel_.set_text(text);
        nameControl(openOrSearchRow_, text);
        list_.append(openOrSearchRow_);
        rowIDs_.emplace_back(kQuickOpenSearchRowID);
    }
}

void QuickOpenWindow::showSelection() {
    Gtk::ListBoxRow* row = nullptr;
    if (const auto& selected = palette_.selected())
        for (std::size_t i = 0; i < rowIDs_.size(); ++i)
            if (rowIDs_[i] == *selected) row = list_.get_row_at_index(static_cast<int>(i));
    selecting_ = true;
    if (row)
        list_.select_row(*row);
    else
        list_.unselect_all();
    selecting_ = false;
    if (!row) return;
    // Rows just built have no place yet: scroll once they are laid out.
    scrollRequest_.disconnect();
    scrollRequest_ = Glib::signal_idle().connect([this, index = row->get_index()] {
        if (Gtk::ListBoxRow* shown = list_.get_row_at_index(index)) {
            Gtk::Allocation place = shown->get_allocation();
            scroller_.get_vadjustment()->clamp_page(place.get_y(), place.get_y() + place.get_height());
        }
        return false;
    });
}

void QuickOpenWindow::announceSelection() {
    if (Gtk::ListBoxRow* row = list_.get_selected_row()) announceActiveDescendant(field_, *row);
}

void QuickOpenWindow::submit() {
    auto submission = palette_.submit();
    using Kind = QuickOpenPalette::Submission::Kind;
    if (submission.kind == Kind::choose && links_.onChoose)
        links_.onChoose(submission.target);
    else if (submission.kind == Kind::search && links_.onSearch)
        links_.onSearch(submission.text);
}

void QuickOpenWindow::choose(const std::string& id) {
    palette_.select(id);
    submit();
}

}  // namespace quenlith
