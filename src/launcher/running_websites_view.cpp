#include "launcher/running_websites_view.hpp"

#include <glibmm/main.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/separator.h>
#include <gtkmm/window.h>

#include "launcher/launcher_commands.hpp"
#include "launcher/launcher_style.hpp"
#include "model/browser_runtime_store.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/uri_components.hpp"
#include "ui/action_button.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "ui/message_dialog.hpp"
#include "ui/site_icon.hpp"

namespace quenlith {

namespace {

Gtk::Image* symbolImage(std::string_view symbol, int pixels, const std::string& styleClass = "") {
    installApplicationIcons();
    auto* image = Gtk::manage(new Gtk::Image());
    image->set_from_icon_name(iconNameForSymbol(symbol), Gtk::ICON_SIZE_BUTTON);
    image->set_pixel_size(pixels);
    if (!styleClass.empty()) image->get_style_context()->add_class(styleClass);
    return image;
}

Gtk::Widget* tabIcon(const RuntimeTab& tab) {
    if (tab.url && !tab.isStartPage)
        if (auto suggestion = SuggestedWebsite::matching(*tab.url))
            return Gtk::manage(new SuggestedSiteIcon(*suggestion, 30));
    auto* image = symbolImage(tab.isStartPage ? "square.grid.2x2" : "globe", 19, "quenlith-accent");
    image->set_size_request(30, 30);
    return image;
}

}  // namespace

RunningTabTexts runningTabTexts(const RuntimeWindow& window, const RuntimeTab& tab) {
    RunningTabTexts texts;
    if (window.isPrivate) {
        texts.address = localizedString("Private Window");
    } else if (tab.isStartPage) {
        texts.address = localizedString("Start Page");
    } else if (auto host = tab.url ? uriHost(*tab.url) : std::nullopt; host && !host->empty()) {
        texts.address = *host;
    } else {
        texts.address = localizedString("New Tab");
    }
    if (tab.isSleeping) {
        texts.status = localizedString("Sleeping \u00B7 click to wake");
    } else if (tab.hasError) {
        texts.status = localizedString("Load Failed");
        texts.statusIsWarning = true;
    } else if (tab.isLoading) {
        texts.status = localizedString("Loading\u2026");
    } else if (!tab.isSelected) {
        texts.status = localizedString("Background Tab");
    }
    return texts;
}

RunningWebsitesView::RunningWebsitesView(BrowserRuntimeStore& runtime, const LauncherCommands& commands)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 10), runtime_(runtime), commands_(commands) {
    installLauncherStyle();
    summary_.get_style_context()->add_class("quenlith-secondary");
    summary_.set_xalign(0);
    summary_.set_margin_start(20);
    summary_.set_margin_end(20);
    pack_start(summary_, Gtk::PACK_SHRINK);

    emptyState_.set_valign(Gtk::ALIGN_CENTER);
    emptyState_.pack_start(*symbolImage("macwindow", 30, "quenlith-secondary"), Gtk::PACK_SHRINK);
    emptyState_.pack_start(*makeLabel(localizedString("No open windows"), 14, 600), Gtk::PACK_SHRINK);
    emptyState_.pack_start(*makeLabel(localizedString("Open a website to see it here."), 13, 400, "quenlith-secondary"),
                           Gtk::PACK_SHRINK);
    emptyState_.set_no_show_all(true);
    emptyState_.show_all_children();
    pack_start(emptyState_, Gtk::PACK_EXPAND_WIDGET);

    cards_.set_margin_start(16);
    cards_.set_margin_end(16);
    cards_.set_margin_bottom(12);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.add(cards_);
    scroller_.set_no_show_all(true);
    pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);

    footer_.set_text(localizedString("Hidden pages stay open. Close a tab to remove it from this list."));
    footer_.get_style_context()->add_class("quenlith-secondary");
    footer_.set_line_wrap(true);
    footer_.set_xalign(0);
    footer_.set_margin_start(20);
    footer_.set_margin_end(20);
    footer_.set_margin_bottom(12);
    pack_start(footer_, Gtk::PACK_SHRINK);

    changed_ = runtime_.signal_changed().connect([this] {
        if (pendingRedraw_.connected()) return;
        pendingRedraw_ = Glib::signal_idle().connect([this] {
            fill();
            return false;
        });
    });
    fill();
}

RunningWebsitesView::~RunningWebsitesView() {
    changed_.disconnect();
    pendingRedraw_.disconnect();
    if (closeDialog_) closeDialog_->hide();
}

void RunningWebsitesView::redraw() {
    pendingRedraw_.disconnect();
    fill();
}

void RunningWebsitesView::fill() {
    const auto& windows = runtime_.windows();
    summary_.set_text(
        localizedPlural("%ld page", "%ld pages", static_cast<std::int64_t>(runtime_.pageCount())) +
        " \u00B7 " + localizedPlural("%ld window", "%ld windows", static_cast<std::int64_t>(windows.size())));
    for (Gtk::Widget* child : cards_.get_children()) gtk_widget_destroy(child->gobj());
    menus_.clear();
    for (const auto& window : windows) cards_.pack_start(*makeCard(window), Gtk::PACK_SHRINK);
    cards_.show_all();
    emptyState_.set_visible(windows.empty());
    scroller_.set_visible(!windows.empty());
    if (!windows.empty()) scroller_.show_all();
}

Gtk::Widget* RunningWebsitesView::makeCard(const RuntimeWindow& window) {
    auto* card = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0));
    card->get_style_context()->add_class("quenlith-card");

    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    header->set_border_width(12);
    auto* titles = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 3));
    const std::string cardTitle = localizedFormat(
        "Window %ld \u00B7 %@", {static_cast<std::int64_t>(window.sequence), shownName(window.title)});
    auto* name = makeLabel(cardTitle, 12, 600);
    showText(*name, cardTitle);
    ellipsizeWithinWidth(*name);
    name->set_xalign(0);
    titles->pack_start(*name, Gtk::PACK_SHRINK);
    auto* state = makeLabel(title(window.state), 11, 400,
                            window.state == BrowserWindowState::visible ? "quenlith-accent" : "quenlith-secondary");
    state->set_xalign(0);
    titles->pack_start(*state, Gtk::PACK_SHRINK);
    header->pack_start(*titles, Gtk::PACK_EXPAND_WIDGET);

    auto menu = std::make_unique<Gtk::Menu>();
    LauncherHold::track(*menu);
    const Uuid id = window.id;
    auto* hide = Gtk::manage(new ActionMenuItem(localizedString("Hide Window"), [this, id] {
        run(commands_.hideWindow, id);
    }));
    hide->set_sensitive(window.state == BrowserWindowState::visible || window.state == BrowserWindowState::tucked);
    menu->append(*hide);
    RuntimeWindow held = window;
    auto* close = Gtk::manage(new ActionMenuItem(localizedString("Close Window Completely\u2026"),
                                                 [this, held] { askToClose(held); }));
    close->get_style_context()->add_class("destructive-action");
    menu->append(*close);
    menu->show_all();
    auto* options = Gtk::manage(new Gtk::MenuButton());
    options->set_image(*symbolImage("ellipsis.circle", 16));
    options->set_relief(Gtk::RELIEF_NONE);
    options->set_tooltip_text(localizedString("Window options"));
    // Every card has one: a screen reader says which window's it is.
    nameInRow(*options, localizedString("Window options"), cardTitle);
    options->set_popup(*menu);
    options->set_valign(Gtk::ALIGN_CENTER);
    menus_.push_back(std::move(menu));
    header->pack_end(*options, Gtk::PACK_SHRINK);
    card->pack_start(*header, Gtk::PACK_SHRINK);
    card->pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    for (const auto& tab : window.tabs) card->pack_start(*makeRow(window, tab), Gtk::PACK_SHRINK);
    return card;
}

Gtk::Widget* RunningWebsitesView::makeRow(const RuntimeWindow& window, const RuntimeTab& tab) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    row->set_margin_start(12);
    row->set_margin_end(12);
    row->set_margin_top(9);
    row->set_margin_bottom(9);

    auto* switchButton = Gtk::manage(new Gtk::Button());
    switchButton->set_relief(Gtk::RELIEF_NONE);
    switchButton->get_style_context()->add_class("quenlith-row");
    switchButton->set_tooltip_text(localizedString("Switch to Tab"));
    auto* label = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 10));
    label->pack_start(*tabIcon(tab), Gtk::PACK_SHRINK);
    auto* lines = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 3));
    auto* titleLine = makeLabel(shownName(tab.title), 12, tab.isSelected ? 600 : 400);
    ellipsizeWithinWidth(*titleLine);
    titleLine->set_xalign(0);
    lines->pack_start(*titleLine, Gtk::PACK_SHRINK);
    RunningTabTexts texts = runningTabTexts(window, tab);
    auto* address = makeLabel(texts.address, 11, 400, "quenlith-secondary");
    ellipsizeWithinWidth(*address);
    address->set_xalign(0);
    lines->pack_start(*address, Gtk::PACK_SHRINK);
    if (!texts.status.empty()) {
        auto* status = makeLabel(texts.status, 10, 400, texts.statusIsWarning ? "quenlith-warning" : "quenlith-secondary");
        status->set_xalign(0);
        lines->pack_start(*status, Gtk::PACK_SHRINK);
    }
    label->pack_start(*lines, Gtk::PACK_EXPAND_WIDGET);
    switchButton->add(*label);
    // The title, as the first line reads.
    nameControl(*switchButton, tab.title);
    const Uuid windowID = window.id;
    const Uuid tabID = tab.id;
    switchButton->signal_clicked().connect([this, windowID, tabID] {
        run(commands_.onDismiss);
        run(commands_.focusTab, windowID, tabID);
    });
    row->pack_start(*switchButton, Gtk::PACK_EXPAND_WIDGET);

    auto* close = Gtk::manage(new ActionButton("xmark", localizedString("Close Tab Completely"), [this, windowID, tabID] {
        run(commands_.closeTab, windowID, tabID);
    }));
    nameControl(*close, localizedFormat("Close %@", {shownName(tab.title)}));
    close->set_valign(Gtk::ALIGN_CENTER);
    row->pack_end(*close, Gtk::PACK_SHRINK);
    return row;
}

void RunningWebsitesView::askToClose(const RuntimeWindow& window) {
    closingWindow_ = window;
    auto* parent = dynamic_cast<Gtk::Window*>(get_toplevel());
    closeDialog_ = makeMessageDialog(
        Gtk::MESSAGE_WARNING, localizedString("Close this window completely?"),
        window.isPrivate
            ? localizedString("All tabs and unsent input will close. This private session and its cookies will be removed.")
            : localizedString("All tabs and unsent input in this window will close. Saved websites and sign-in data are kept."));
    closeDialog_->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    closeDialog_->add_button(localizedString("Close Window Completely"), Gtk::RESPONSE_ACCEPT)
        ->get_style_context()
        ->add_class("destructive-action");
    if (parent && parent->get_visible()) closeDialog_->set_transient_for(*parent);
    LauncherHold::track(*closeDialog_);
    closeDialog_->signal_response().connect([this](int response) { answerClose(response); });
    closeDialog_->show();
}

void RunningWebsitesView::answerClose(int response) {
    auto held = std::move(closingWindow_);
    closingWindow_.reset();
    if (closeDialog_) {
        closeDialog_->hide();
        Glib::signal_idle().connect_once([dialog = std::shared_ptr<Gtk::MessageDialog>(std::move(closeDialog_))] {});
    }
    // The question acts on the window it was asked for; a window gone meanwhile closes nothing.
    if (response == Gtk::RESPONSE_ACCEPT && held) run(commands_.closeWindow, held->id);
}

}  // namespace quenlith
