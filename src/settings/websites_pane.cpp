#include "settings/websites_pane.hpp"

#include <algorithm>
#include <iterator>

#include <glibmm/main.h>
#include <gtkmm/window.h>

#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/removal_focus.hpp"
#include "model/tray_presence.hpp"
#include "model/web_app_store.hpp"
#include "ui/action_button.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/form_rows.hpp"
#include "ui/site_icon.hpp"
#include "ui/told_while_shown.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {

WebsitesPane::WebsitesPane(SettingsContext& context)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6),
      context_(context),
      title_(localizedString("Websites")),
      add_(localizedString("Add Website")),
      empty_(localizedString("Add your first website to get started.")) {
    styleHeadline(title_);
    styleSuggestedAction(add_);
    add_.signal_clicked().connect([this] {
        if (context_.services.onAdd) context_.services.onAdd();
    });
    header_.set_border_width(12);
    header_.pack_start(title_, Gtk::PACK_SHRINK);
    header_.pack_end(add_, Gtk::PACK_SHRINK);
    pack_start(header_, Gtk::PACK_SHRINK);
    readableErrorText(error_);
    error_.get_style_context()->add_class("error");
    wrapWithinWidth(error_);
    error_.set_xalign(0);
    error_.set_margin_start(12);
    error_.set_margin_end(12);
    error_.set_no_show_all(true);
    pack_start(error_, Gtk::PACK_SHRINK);
    noTray_.set_text(noTrayExplanation());
    styleSecondaryText(noTray_);
    wrapWithinWidth(noTray_);
    noTray_.set_xalign(0);
    noTray_.set_margin_start(12);
    noTray_.set_margin_end(12);
    noTray_.set_no_show_all(true);
    pack_start(noTray_, Gtk::PACK_SHRINK);
    context_.windows.tray().signal_changed().connect(sigc::mem_fun(*this, &WebsitesPane::rebuild));
    styleSecondaryText(empty_);
    empty_.set_no_show_all(true);
    pack_start(empty_, Gtk::PACK_EXPAND_WIDGET);
    list_.set_selection_mode(Gtk::SELECTION_NONE);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(list_);
    keepFocusInView(scroller_);
    scroller_.set_no_show_all(true);
    pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    context_.store.signal_changed().connect(sigc::mem_fun(*this, &WebsitesPane::rebuild));
    rebuild();
}

void WebsitesPane::tellFailureHere() { context_.store.whenWritten(toldWhileShown(*this)); }

std::optional<WebsitesPane::FocusedControl> WebsitesPane::focusedControl() {
    auto* window = dynamic_cast<Gtk::Window*>(get_toplevel());
    Gtk::Widget* focus = window ? window->get_focus() : nullptr;
    if (!focus || !focus->is_ancestor(list_)) return std::nullopt;
    for (std::size_t place = 0; place < rows_.size(); ++place) {
        const Row& row = rows_[place];
        const Gtk::Widget* controls[] = {row.menuBar, row.up, row.down, row.edit, row.newAccount, row.remove};
        for (std::size_t control = 0; control < std::size(controls); ++control)
            if (controls[control] == focus) return FocusedControl{place, control};
        if (Gtk::Widget* listRow = row.menuBar->get_ancestor(GTK_TYPE_LIST_BOX_ROW);
            listRow && (listRow == focus || focus->is_ancestor(*listRow)))
            return FocusedControl{place, std::nullopt};
    }
    return std::nullopt;
}

void WebsitesPane::giveBackFocus(const FocusedControl& focused, const std::vector<Uuid>& before) {
    std::vector<bool> kept;
    for (const Uuid& id : before)
        kept.push_back(std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) { return row.id == id; }));
    const auto taking = focusAfterRemoval(kept, focused.row);
    // Nothing left: the button that adds the first website stands where the list was.
    if (!taking) {
        add_.grab_focus();
        return;
    }
    const auto row = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.id == before[*taking]; });
    if (row == rows_.end()) return;
    // A row changed in place (moved, put in the tray) keeps the control that was used; a neighbour
    // of a deleted row takes the focus as a row, as the list gives it.
    Gtk::Widget* controls[] = {row->menuBar, row->up, row->down, row->edit, row->newAccount, row->remove};
    if (*taking == focused.row && focused.control && controls[*focused.control]->get_sensitive())
        controls[*focused.control]->grab_focus();
    else if (Gtk::Widget* listRow = row->menuBar->get_ancestor(GTK_TYPE_LIST_BOX_ROW))
        listRow->grab_focus();
}

void WebsitesPane::rebuild() {
    // The rows are built again: the keyboard, in one of them, would be left on no control.
    const auto focused = focusedControl();
    std::vector<Uuid> before;
    for (const Row& row : rows_) before.push_back(row.id);
    for (Gtk::Widget* child : list_.get_children()) {
        list_.remove(*child);
        delete child;
    }
    rows_.clear();
    const auto& error = context_.store.errorMessage();
    error_.set_text(error.value_or(""));
    error_.set_visible(error.has_value());
    const auto& websites = context_.store.profiles();
    const bool tray = context_.windows.tray().available();
    noTray_.set_visible(!tray && !websites.empty());
    empty_.set_visible(websites.empty());
    showWhen(scroller_, !websites.empty());

    for (const auto& website : websites) {
        Row row{.id = website.id};
        const Uuid id = website.id;
        auto* line = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
        line->set_margin_top(4);
        line->set_margin_bottom(4);
        if (context_.services.icons) {
            row.icon = Gtk::manage(new SiteIcon(website, *context_.services.icons, 34));
            row.icon->set_valign(Gtk::ALIGN_CENTER);
            line->pack_start(*row.icon, Gtk::PACK_SHRINK);
        }
        auto* titles = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 2));
        auto* name = Gtk::manage(new Gtk::Label());
        showText(*name, shownName(website.displayTitle()));
        name->set_xalign(0);
        ellipsizeWithinWidth(*name);
        styleHeadline(*name);
        auto* address = makeCaption(shownName(website.homeURL));
        ellipsizeWithinWidth(*address);
        titles->pack_start(*name, Gtk::PACK_SHRINK);
        titles->pack_start(*address, Gtk::PACK_SHRINK);
        line->pack_start(*titles, Gtk::PACK_EXPAND_WIDGET);

        row.menuBar = Gtk::manage(new Gtk::CheckButton(localizedString("Tray")));
        row.menuBar->set_active(website.menuBarIconEnabled.value_or(false));
        row.menuBar->set_sensitive(tray);
        row.menuBar->signal_toggled().connect([this, id, box = row.menuBar] {
            context_.store.setMenuBarIcon(box->get_active(), id);
            context_.store.saveInBackground();
            tellFailureHere();
            // A store that took nothing (read-only) announces nothing: the row shows it again.
            auto stored = context_.store.profile(id);
            if (!stored || stored->menuBarIconEnabled.value_or(false) != box->get_active())
                Glib::signal_idle().connect_once(sigc::mem_fun(*this, &WebsitesPane::rebuild));
        });
        row.up = Gtk::manage(new ActionButton("arrow.up", localizedString("Move up"), [this, id] {
            context_.store.reposition(id, -1);
            tellFailureHere();
        }));
        row.down = Gtk::manage(new ActionButton("arrow.down", localizedString("Move down"), [this, id] {
            context_.store.reposition(id, 1);
            tellFailureHere();
        }));
        row.edit = Gtk::manage(new Gtk::Button(localizedString("Edit")));
        row.edit->signal_clicked().connect([this, id] {
            if (context_.services.onEdit) context_.services.onEdit(id);
        });
        row.newAccount = Gtk::manage(new ActionButton("person.badge.plus", localizedString("Add Independent Account"),
                                                      [this, id] {
                                                          if (context_.services.onNewAccount)
                                                              context_.services.onNewAccount(id);
                                                      }));
        row.remove = Gtk::manage(new ActionButton("trash", localizedString("Delete website"),
                                                  [this, id] {
                                                      if (auto website = context_.store.profile(id))
                                                          context_.requestDeletion(*website);
                                                  }));
        for (Gtk::Button* control : std::initializer_list<Gtk::Button*>{
                 row.menuBar, row.up, row.down, row.edit, row.newAccount, row.remove}) {
            // Every row has the same controls: each names the website it acts on, and "Edit" what it
            // edits (the Shortcuts tab has an "Edit" of its own).
            const std::string action = control == row.edit        ? localizedString("Edit Website")
                                       : control->get_label().empty() ? control->get_tooltip_text().raw()
                                                                      : control->get_label().raw();
            nameInRow(*control, action, website.displayTitle());
            line->pack_start(*control, Gtk::PACK_SHRINK);
        }
        list_.append(*line);
        // The row takes the focus on its own way through the list: it reads as its website.
        if (Gtk::Widget* listRow = line->get_parent()) nameControl(*listRow, website.displayTitle());
        rows_.push_back(row);
    }
    list_.show_all();
    if (focused) giveBackFocus(*focused, before);
}

}  // namespace quenlith
