#include "launcher/website_tile.hpp"

#include "launcher/launcher_style.hpp"
#include "model/isolated_text.hpp"
#include "model/kept_call.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/form_rows.hpp"

#include <gtkmm/separatormenuitem.h>

namespace quenlith {

WebsiteTile::WebsiteTile(Gtk::Widget* icon, const std::string& title, const std::string& toolTip,
                         const std::string& activity, bool activityIsAccent)
    : title_(title), icon_(icon) {
    get_style_context()->add_class("quenlith-tile");
    set_relief(Gtk::RELIEF_NONE);
    set_tooltip_text(toolTip);
    set_hexpand(true);
    // The grid's cell holding the tile is its one keyboard stop (see joinGrid).
    set_can_focus(false);

    content_.pack_start(*Gtk::manage(icon), Gtk::PACK_SHRINK);
    name_ = makeLabel(shownName(title), 11, 500);
    name_->set_lines(2);
    name_->set_line_wrap(true);
    name_->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    name_->set_ellipsize(Pango::ELLIPSIZE_END);
    name_->set_justify(Gtk::JUSTIFY_CENTER);
    name_->set_max_width_chars(8);
    name_->set_valign(Gtk::ALIGN_START);
    name_->set_size_request(-1, 28);
    content_.pack_start(*name_, Gtk::PACK_SHRINK);
    activity_ = makeLabel(activity, 10, 400, activityIsAccent ? "quenlith-accent" : "quenlith-secondary");
    activity_->set_ellipsize(Pango::ELLIPSIZE_END);
    activity_->set_max_width_chars(8);
    content_.pack_start(*activity_, Gtk::PACK_SHRINK);
    add(content_);
    // Named by its name alone, not by its inner labels with the activity line.
    nameControl(*this, title);
}

void WebsiteTile::setTitle(const std::string& title) {
    if (title == title_) return;
    title_ = title;
    name_->set_text(shownName(title));
    nameControl(*this, title);
    if (auto* cell = dynamic_cast<Gtk::FlowBoxChild*>(get_parent())) nameControl(*cell, title_);
}

void WebsiteTile::setActivity(const std::string& activity, bool activityIsAccent) {
    if (activity_->get_text() != activity) activity_->set_text(activity);
    auto style = activity_->get_style_context();
    if (style->has_class("quenlith-accent") == activityIsAccent) return;
    style->remove_class(activityIsAccent ? "quenlith-secondary" : "quenlith-accent");
    style->add_class(activityIsAccent ? "quenlith-accent" : "quenlith-secondary");
}

WebsiteTile::~WebsiteTile() = default;

void WebsiteTile::on_clicked() {
    callKept(onOpen_);
}

bool WebsiteTile::on_button_press_event(GdkEventButton* event) {
    if (event->type == GDK_BUTTON_PRESS && event->button == 3) {
        showMenu();
        return true;
    }
    return Gtk::Button::on_button_press_event(event);
}

void WebsiteTile::joinGrid() {
    auto* cell = dynamic_cast<Gtk::FlowBoxChild*>(get_parent());
    if (!cell) return;
    nameControl(*cell, title_);
    // The menu key and Shift+F10 on the focused cell show the tile's menu.
    cell->signal_popup_menu().connect(
        [this] {
            showMenu();
            return true;
        },
        false);
}

void WebsiteTile::openFromGrid(Gtk::FlowBox& grid) {
    // Return and Space on a focused cell activate it; the tile inside opens.
    grid.signal_child_activated().connect([](Gtk::FlowBoxChild* cell) {
        if (auto* tile = dynamic_cast<WebsiteTile*>(cell->get_child())) tile->clicked();
    });
}

std::unique_ptr<Gtk::Menu> buildMenu(const std::vector<TileMenuEntry>& entries) {
    auto menu = std::make_unique<Gtk::Menu>();
    LauncherHold::track(*menu);
    for (const auto& entry : entries) {
        if (entry.title.empty()) {
            menu->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
            continue;
        }
        auto* item = Gtk::manage(new ActionMenuItem(entry.title, entry.action ? entry.action : [] {}));
        if (entry.destructive) item->get_style_context()->add_class("destructive-action");
        item->set_sensitive(entry.enabled);
        menu->append(*item);
    }
    menu->show_all();
    return menu;
}

void popupMenu(Gtk::Menu& menu, Gtk::Widget& anchor) {
    if (!menu.get_attach_widget()) menu.attach_to_widget(anchor);
    GdkEvent* event = gtk_get_current_event();
    if (event && (event->type == GDK_BUTTON_PRESS || event->type == GDK_BUTTON_RELEASE)) {
        menu.popup_at_pointer(event);
    } else {
        menu.popup_at_widget(&anchor, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, event);
        // Opened from the keyboard: the first item is highlighted, so the arrows and Return work
        // at once.
        menu.select_first(true);
    }
    if (event) gdk_event_free(event);
}

Gtk::Menu& WebsiteTile::showMenu() {
    menu_ = buildMenu(menuEntries_ ? menuEntries_() : std::vector<TileMenuEntry>{});
    popupMenu(*menu_, *this);
    return *menu_;
}

}  // namespace quenlith
