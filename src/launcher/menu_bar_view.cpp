#include "launcher/menu_bar_view.hpp"

#include <algorithm>

#include <gtkmm/image.h>
#include <gtkmm/separator.h>

#include "launcher/fitting_label.hpp"
#include "launcher/launcher_style.hpp"
#include "launcher/running_websites_view.hpp"
#include "launcher/website_start_page.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/web_app_store.hpp"
#include "ui/action_button.hpp"
#include "ui/icon_names.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

namespace {

// A button's symbol and text; a text that gives way leaves the symbol alone on a narrow screen.
Gtk::Box* symbolAndText(std::string_view symbol, const std::string& text, bool givesWay = false) {
    installApplicationIcons();
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    auto* image = Gtk::manage(new Gtk::Image());
    image->set_from_icon_name(iconNameForSymbol(symbol), Gtk::ICON_SIZE_BUTTON);
    box->pack_start(*image, Gtk::PACK_SHRINK);
    if (!text.empty())
        box->pack_start(*Gtk::manage(givesWay ? new FittingLabel(text) : new Gtk::Label(text)),
                        Gtk::PACK_EXPAND_WIDGET);
    return box;
}

}  // namespace

MenuBarView::MenuBarView(WebAppStore& store, LibraryStore& savedPages, FaviconLoader& icons,
                         BrowserWindowManager& windows, LauncherCommands commands)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0), store_(store), library_(savedPages), icons_(icons), windows_(windows),
      commands_(std::move(commands)) {
    installLauncherStyle();
    get_style_context()->add_class("quenlith-launcher");

    header_.set_border_width(20);
    // On a narrow screen the title gives way to the header's buttons.
    auto* title = Gtk::manage(new FittingLabel());
    styleLabel(*title, "Quenlith", 17, 600);
    title->set_xalign(0);
    header_.pack_start(*title, Gtk::PACK_EXPAND_WIDGET);
    auto* quickOpen = Gtk::manage(new ActionButton("magnifyingglass", localizedString("Quick Open \u00B7 Ctrl+K"),
                                                   [this] { run(commands_.onQuickOpen); }));
    quickOpen->get_accessible()->set_name(localizedString("Quick Open"));
    quickOpenButton_ = quickOpen;
    auto* openBrowser = Gtk::manage(new Gtk::Button());
    openBrowser->add(*symbolAndText("macwindow", localizedString("Open Browser")));
    openBrowser->get_style_context()->add_class("suggested-action");
    openBrowser->signal_clicked().connect([this] {
        run(commands_.onDismiss);
        run(commands_.openBrowser);
    });
    header_.pack_end(*openBrowser, Gtk::PACK_SHRINK);
    header_.pack_end(*quickOpen, Gtk::PACK_SHRINK);
    pack_start(header_, Gtk::PACK_SHRINK);

    // The switch: two linked toggle segments.
    switchBox_.get_style_context()->add_class("linked");
    switchBox_.set_margin_start(20);
    switchBox_.set_margin_end(20);
    switchBox_.set_margin_bottom(12);
    switchBox_.set_homogeneous(true);
    runningSwitch_.join_group(websitesSwitch_);
    for (Gtk::RadioButton* segment : {&websitesSwitch_, &runningSwitch_}) {
        segment->set_mode(false);
        switchBox_.pack_start(*segment, Gtk::PACK_EXPAND_WIDGET);
    }
    websitesSwitch_.set_label(localizedString("Websites"));
    websitesSwitch_.set_active(true);
    switchBox_.get_accessible()->set_name(localizedString("Launcher View"));
    runningSwitch_.signal_toggled().connect([this] {
        if (runningSwitch_.get_active() != showRunning_) setShowRunning(runningSwitch_.get_active());
    });
    pack_start(switchBox_, Gtk::PACK_SHRINK);
    for (Gtk::Label* line : {&continuity_, &libraryUnreadable_}) {
        line->set_line_wrap(true);
        line->set_max_width_chars(40);
        line->set_xalign(0);
        line->set_margin_start(20);
        line->set_margin_end(20);
        line->get_style_context()->add_class("warning");
        line->set_no_show_all(true);
        pack_start(*line, Gtk::PACK_SHRINK);
    }
    libraryUnreadable_.set_text(localizedString(
        "Your saved pages could not be read. The original file is preserved. Open Saved Pages to restore the "
        "previous backup."));

    middle_.set_vexpand(true);
    pack_start(middle_, Gtk::PACK_EXPAND_WIDGET);
    pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);

    footer_.set_margin_start(20);
    footer_.set_margin_end(20);
    footer_.set_margin_top(12);
    footer_.set_margin_bottom(12);
    windowsButton_.add(*symbolAndText("macwindow.on.rectangle", localizedString("Windows")));
    windowsButton_.set_relief(Gtk::RELIEF_NONE);
    windowsButton_.signal_clicked().connect([this] {
        menu_ = buildMenu(windowMenuEntries());
        popupMenu(*menu_, windowsButton_);
    });
    footer_.pack_start(windowsButton_, Gtk::PACK_SHRINK);

    moreButton_.add(*symbolAndText("ellipsis.circle", ""));
    moreButton_.set_relief(Gtk::RELIEF_NONE);
    moreButton_.set_tooltip_text(localizedString("More options"));
    moreButton_.get_accessible()->set_name(localizedString("More options"));
    moreButton_.signal_clicked().connect([this] {
        menu_ = buildMenu(moreMenuEntries());
        popupMenu(*menu_, moreButton_);
    });
    footer_.pack_end(moreButton_, Gtk::PACK_SHRINK);
    auto* settings = Gtk::manage(new ActionButton("gearshape", localizedString("Settings"),
                                                  [this] { run(commands_.onSettings); }));
    footer_.pack_end(*settings, Gtk::PACK_SHRINK);
    settingsButton_ = settings;
    auto* library = Gtk::manage(new Gtk::Button());
    library->add(*symbolAndText("square.stack.3d.up", localizedString("Saved Pages"), true));
    library->get_accessible()->set_name(localizedString("Saved Pages"));
    library->set_relief(Gtk::RELIEF_NONE);
    library->set_tooltip_text(localizedString("Saved Pages & Groups"));
    library->signal_clicked().connect([this] { run(commands_.onLibrary); });
    footer_.pack_end(*library, Gtk::PACK_SHRINK);
    libraryButton_ = library;
    pack_start(footer_, Gtk::PACK_SHRINK);
    // Shown or hidden by the commands the shell gives; their contents are shown here once, since
    // show_all no longer reaches inside them.
    for (Gtk::Widget* optional : {quickOpenButton_, settingsButton_, libraryButton_}) {
        optional->set_no_show_all(true);
        if (Gtk::Widget* content = static_cast<Gtk::Bin*>(optional)->get_child()) content->show_all();
    }
    updateOptionalControls();
    signal_map().connect([this] { updateOptionalControls(); });

    updateCount();
    runtimeChanged_ = windows_.publisher().runtime().signal_changed().connect([this] { updateCount(); });
    managerChanged_ = windows_.publisher().signal_changed().connect([this] { updateContinuity(); });
    updateContinuity();
    libraryChanged_ = library_.signal_changed().connect([this] { updateLibraryUnreadable(); });
    updateLibraryUnreadable();
    showMiddle();
}

int MenuBarView::neededWidth() {
    // Measured before the first showing, when the buttons of the owner's commands are shown.
    updateOptionalControls();
    int needed = 0;
    for (const Gtk::Widget* row : {static_cast<Gtk::Widget*>(&header_), static_cast<Gtk::Widget*>(&switchBox_),
                                   static_cast<Gtk::Widget*>(&footer_)}) {
        // With its margins and border; a text that gives way asks for its whole text as its natural width.
        int minimum = 0, natural = 0;
        row->get_preferred_width(minimum, natural);
        needed = std::max(needed, natural);
    }
    return needed;
}

void MenuBarView::addMenuButton(Gtk::MenuButton& button) {
    header_.pack_end(button, Gtk::PACK_SHRINK);
    if (Gtk::Menu* menu = button.get_popup()) LauncherHold::track(*menu);
}

MenuBarView::~MenuBarView() {
    runtimeChanged_.disconnect();
    managerChanged_.disconnect();
    libraryChanged_.disconnect();
}

void MenuBarView::updateContinuity() {
    const auto& message = windows_.publisher().continuityError();
    continuity_.set_text(message.value_or(""));
    continuity_.set_visible(message.has_value());
}

void MenuBarView::updateLibraryUnreadable() {
    // Asked only once read: the store's answers wait for its reading.
    libraryUnreadable_.set_visible(!library_.loading() && !library_.writable());
}

void MenuBarView::updateCount() {
    runningSwitch_.set_label(localizedFormat(
        "Running (%ld)", {static_cast<std::int64_t>(windows_.publisher().runtime().pageCount())}));
}

void MenuBarView::setShowRunning(bool running) {
    showRunning_ = running;
    if (runningSwitch_.get_active() != running) (running ? runningSwitch_ : websitesSwitch_).set_active(true);
    showMiddle();
}

void MenuBarView::showMiddle() {
    // Destroyed, not only removed: something may still hold a reference, and the old page must
    // stop listening to the stores now.
    for (Gtk::Widget* child : middle_.get_children()) gtk_widget_destroy(child->gobj());
    startPage_ = nullptr;
    runningView_ = nullptr;
    if (showRunning_) {
        runningView_ = Gtk::manage(new RunningWebsitesView(windows_.publisher().runtime(), commands_));
        middle_.pack_start(*runningView_, Gtk::PACK_EXPAND_WIDGET);
        runningView_->show_all();
        return;
    }
    StartPageActions actions;
    actions.onOpenSaved = [this](const WebAppProfile& profile) {
        run(commands_.onDismiss);
        run(commands_.showProfile, profile.id);
    };
    actions.onOpenURL = [this](const std::string& url) {
        run(commands_.onDismiss);
        run(commands_.openURL, url);
    };
    actions.onSearch = [this](const std::string& text) {
        run(commands_.onDismiss);
        run(commands_.openAddress, text);
    };
    actions.onAdd = [this] { run(commands_.onAdd); };
    actions.onEdit = [this](const Uuid& id) { run(commands_.onEdit, id); };
    actions.onSaveSuggestion = [this](const SuggestedWebsite& site) { run(commands_.onSaveSuggestion, site); };
    actions.onPinSuggestion = [this](const SuggestedWebsite& site) { run(commands_.onPinSuggestion, site); };
    actions.onRemove = [this](const Uuid& id) { run(commands_.deleteWebsite, id); };
    actions.trayAvailable = [this] { return windows_.tray().available(); };
    startPage_ = Gtk::manage(new WebsiteStartPage(store_, icons_, windows_.publisher().runtime(),
                                                  windows_.sessions(), false, std::move(actions)));
    middle_.pack_start(*startPage_, Gtk::PACK_EXPAND_WIDGET);
    startPage_->show_all();
}

std::vector<TileMenuEntry> MenuBarView::windowMenuEntries() {
    std::vector<TileMenuEntry> entries;
    if (commands_.hasFocusedScene && commands_.hasFocusedScene())
        entries.push_back({localizedString("Return to Previous Windows"), [this] {
                               run(commands_.onDismiss);
                               run(commands_.returnToPreviousWindows);
                           }});
    TileMenuEntry restore{localizedString("Restore Hidden Windows"), [this] {
                              run(commands_.onDismiss);
                              run(commands_.restoreHiddenWindows);
                          }};
    restore.enabled = windows_.publisher().hiddenWindowCount() > 0;
    entries.push_back(restore);
    TileMenuEntry hide{localizedString("Hide All Windows"), [this] { run(commands_.hideAll); }};
    hide.enabled = windows_.registry().hasVisibleWindows();
    entries.push_back(hide);
    if (windows_.publisher().clickThroughCount() >= 1)
        entries.push_back({localizedString("Restore Mouse Control (Ctrl+Alt+P)"),
                           [this] { run(commands_.restoreMouseControl); }});
    return entries;
}

void MenuBarView::updateOptionalControls() {
    quickOpenButton_->set_visible(commands_.has(&LauncherCommands::onQuickOpen));
    settingsButton_->set_visible(commands_.has(&LauncherCommands::onSettings));
    libraryButton_->set_visible(commands_.has(&LauncherCommands::onLibrary));
}

std::vector<TileMenuEntry> MenuBarView::moreMenuEntries() {
    std::vector<TileMenuEntry> entries;
    if (commands_.has(&LauncherCommands::onBatchLinks))
        entries.push_back({localizedString("Open Multiple Links\u2026"), [this] { run(commands_.onBatchLinks); }});
    entries.push_back({localizedString("Private Window"), [this] {
                           run(commands_.onDismiss);
                           run(commands_.openPrivateWindow);
                       }});
    if (commands_.has(&LauncherCommands::onHelp))
        entries.push_back({localizedString("Quenlith Guide"), [this] { run(commands_.onHelp); }});
    if (commands_.has(&LauncherCommands::onDownloads))
        entries.push_back({localizedString("Downloads"), [this] { run(commands_.onDownloads); }});
    entries.push_back({"", {}});
    entries.push_back({localizedString("Quit Quenlith"), [this] { run(commands_.onQuit); }});
    return entries;
}

}  // namespace quenlith
