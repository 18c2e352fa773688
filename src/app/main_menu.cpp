#include "app/main_menu.hpp"

#include <gtk/gtk.h>
#include <gtkmm/application.h>
#include <gtkmm/gesturemultipress.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/view/browser_chrome.hpp"
#include "browser/view/browser_toolbar.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/command_keys.hpp"
#include "model/localization.hpp"
#include "model/tray_presence.hpp"
#include "ui/form_rows.hpp"
#include "ui/sheet_modality.hpp"
#include "ui/toplevel_watch.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

namespace {

struct Item {
    MenuAction action;
    const char* title;
};

// The items of each submenu; their keys are the commands' (commandKeys), the first one shown.
const std::vector<std::pair<const char*, std::vector<Item>>>& menuTable() {
    static const std::vector<std::pair<const char*, std::vector<Item>>> table{
        {"File",
         {{MenuAction::openBrowser, "Open Browser"},
          {MenuAction::add, "Add Website…"},
          {MenuAction::launcher, "Open Launcher"},
          {MenuAction::quickOpen, "Quick Open…"},
          {MenuAction::batchLinks, "Open Multiple Links…"},
          {MenuAction::readLater, "Read Later · Save Position"},
          {MenuAction::menuBarIcon, "Show in Tray"},
          {MenuAction::privateWindow, "Private Window"},
          {MenuAction::library, "Saved Pages & Groups…"},
          {MenuAction::clip, "Save Page / Selection…"},
          {MenuAction::printPage, "Print / Save PDF…"},
          {MenuAction::reopenTab, "Reopen Closed Tab"},
          {MenuAction::newTab, "New Tab"},
          {MenuAction::close, "Close Tab / Window"},
          {MenuAction::downloads, "Downloads…"}}},
        {"Edit",
         {{MenuAction::find, "Find in Page"},
          {MenuAction::nextMatch, "Next Match"},
          {MenuAction::previousMatch, "Previous Match"}}},
        {"View",
         {{MenuAction::address, "Focus Address Bar"},
          {MenuAction::reload, "Reload Page"},
          {MenuAction::stop, "Stop Loading"},
          {MenuAction::back, "Back"},
          {MenuAction::forward, "Forward"},
          {MenuAction::zoomIn, "Zoom In"},
          {MenuAction::zoomOut, "Zoom Out"},
          {MenuAction::zoomReset, "Actual Size"},
          {MenuAction::compact, "Compact Mode"}}},
        {"Window",
         {{MenuAction::previousTab, "Previous Tab"},
          {MenuAction::nextTab, "Next Tab"},
          {MenuAction::arrangeLeft, "Left Half"},
          {MenuAction::arrangeRight, "Right Half"},
          {MenuAction::arrangeCenter, "Center"},
          {MenuAction::pin, "Always on Top"},
          {MenuAction::recoverMouse, "Restore Mouse Control"},
          {MenuAction::showAll, "Restore Hidden Windows"},
          {MenuAction::hideAll, "Hide All Windows"}}},
        {"Help", {{MenuAction::guide, "Quenlith Guide"}}},
    };
    return table;
}

// The editing commands, first in Edit, go to the focused widget of the window they act on; their keys
// stay with the widgets themselves (an entry or a page handles Ctrl+C on its own), the menu only shows them.
const char* const kEditingNames[] = {"undo", "redo", "cut", "copy", "paste", "selectAll"};
const char* const kEditingTitles[] = {"Undo", "Redo", "Cut", "Copy", "Paste", "Select All"};
const char* const kWebCommands[] = {WEBKIT_EDITING_COMMAND_UNDO,  WEBKIT_EDITING_COMMAND_REDO,
                                    WEBKIT_EDITING_COMMAND_CUT,   WEBKIT_EDITING_COMMAND_COPY,
                                    WEBKIT_EDITING_COMMAND_PASTE, WEBKIT_EDITING_COMMAND_SELECT_ALL};

Gtk::Window* keyWindow() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->is_active()) return window;
    return nullptr;
}

// Whether the key is the one that opens the menus of a window in GTK applications: F10, unless the
// desktop chose another (or none).
bool opensMenus(const GdkEventKey& event) {
    gchar* accelerator = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-menu-bar-accel", &accelerator, nullptr);
    guint key = 0;
    GdkModifierType modifiers{};
    if (accelerator) gtk_accelerator_parse(accelerator, &key, &modifiers);
    g_free(accelerator);
    const guint mask = gtk_accelerator_get_default_mod_mask();
    return key != 0 && gdk_keyval_to_lower(event.keyval) == gdk_keyval_to_lower(key) &&
           (event.state & mask) == (modifiers & mask);
}

struct MenuButtonSearch {
    GMenuModel* model;
    GtkWidget* found = nullptr;
};

void findMenuButton(GtkWidget* widget, gpointer data) {
    auto* search = static_cast<MenuButtonSearch*>(data);
    if (search->found || !gtk_widget_get_mapped(widget)) return;
    if (GTK_IS_MENU_BUTTON(widget) && gtk_menu_button_get_menu_model(GTK_MENU_BUTTON(widget)) == search->model) {
        search->found = widget;
        return;
    }
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), findMenuButton, data);
}

// The shown button in the window (its title bar included) that opens `model`, or none.
Gtk::MenuButton* shownMenuButton(Gtk::Window& window, const Glib::RefPtr<Gio::Menu>& model) {
    MenuButtonSearch search{G_MENU_MODEL(model->gobj())};
    findMenuButton(GTK_WIDGET(window.gobj()), &search);
    return search.found ? Glib::wrap(GTK_MENU_BUTTON(search.found)) : nullptr;
}

Glib::ustring detailed(std::string_view name) {
    return "app." + std::string(name);
}

// An item of the command `action`, showing the command's first key.
Glib::RefPtr<Gio::MenuItem> menuItem(const std::string& title, std::string_view action) {
    auto entry = Gio::MenuItem::create(title, detailed(action));
    const auto keys = commandAccelerators(action);
    if (!keys.empty())
        entry->set_attribute_value("accel", Glib::Variant<Glib::ustring>::create(std::string(keys.front())));
    return entry;
}

}  // namespace

MainMenu::MainMenu(Gtk::Application& application, AppEnvironment& environment, Links links)
    : application_(application),
      environment_(environment),
      links_(std::move(links)),
      model_(Gio::Menu::create()),
      target_(mainLoopScheduler()),
      self_(std::make_shared<MainMenu*>(this)) {
    for (MenuAction action : allMenuActions())
        addAction(action, action == MenuAction::pin || action == MenuAction::compact ||
                              action == MenuAction::menuBarIcon);
    addEditingActions();
    for (const CommandKeys& command : commandKeys()) {
        if (command.shownOnly) continue;
        std::vector<Glib::ustring> accels;
        for (std::string_view accel : command.accelerators) accels.emplace_back(std::string(accel));
        application_.set_accels_for_action(detailed(command.action), accels);
    }
    buildModel();

    BrowserWindowManager& windows = environment_.windows();
    connections_.push_back(windows.publisher().signal_changed().connect([this] { refresh(); }));
    connections_.push_back(windows.publisher().runtime().signal_changed().connect([this] { refresh(); }));
    connections_.push_back(windows.tray().signal_changed().connect([this] { trayChanged(); }));
    refresh();
}

MainMenu::~MainMenu() {
    self_.reset();
    windowWatch_.reset();
    for (auto& connection : connections_) connection.disconnect();
    for (const auto& name : addedActionNames_) {
        application_.set_accels_for_action(detailed(name), {});
        application_.remove_action(name);
    }
}

void MainMenu::addAction(MenuAction action, bool checkable) {
    const std::string name(menuActionName(action));
    auto simple = checkable ? Gio::SimpleAction::create_bool(name, false) : Gio::SimpleAction::create(name);
    simple->signal_activate().connect([this, action](const Glib::VariantBase&) { perform(action); });
    application_.add_action(simple);
    actions_[action] = simple;
    addedActionNames_.push_back(name);
}

void MainMenu::addEditingActions() {
    for (std::size_t index = 0; index < std::size(kEditingNames); ++index) {
        auto simple = Gio::SimpleAction::create(kEditingNames[index]);
        simple->signal_activate().connect([this, index](const Glib::VariantBase&) { runEditingCommand(index); });
        application_.add_action(simple);
        addedActionNames_.push_back(kEditingNames[index]);
    }
    auto quit = Gio::SimpleAction::create("quit");
    quit->signal_activate().connect([this](const Glib::VariantBase&) {
        if (links_.onQuit) links_.onQuit();
    });
    application_.add_action(quit);
    addedActionNames_.push_back("quit");
}

void MainMenu::buildModel() {
    // The menus of a menu bar as submenus, so that the menu and each of them fit a small screen
    // without scrolling; the application's own commands after them, as GNOME applications end
    // their primary menu. A zoom starts the second group of View; Quit stands apart.
    auto menus = Gio::Menu::create();
    model_->append_section(menus);
    for (const auto& [group, items] : menuTable()) {
        auto submenu = Gio::Menu::create();
        auto section = Gio::Menu::create();
        submenu->append_section(section);
        if (std::string_view(group) == "Edit")
            for (std::size_t index = 0; index < std::size(kEditingNames); ++index)
                section->append_item(menuItem(localizedString(kEditingTitles[index]), kEditingNames[index]));
        for (const Item& entry : items) {
            if (entry.action == MenuAction::zoomIn) {
                section = Gio::Menu::create();
                submenu->append_section(section);
            }
            if (entry.action == MenuAction::menuBarIcon) {
                trayItem_ = {section, section->get_n_items()};
                section->append_item(trayMenuItem());
                continue;
            }
            section->append_item(menuItem(localizedString(entry.title), menuActionName(entry.action)));
        }
        menus->append_submenu(localizedString(group), submenu);
    }
    auto application = Gio::Menu::create();
    application->append_item(menuItem(localizedString("About Quenlith"), "about"));
    application->append_item(menuItem(localizedString("Settings…"), "settings"));
    model_->append_section(application);
    auto quit = Gio::Menu::create();
    quit->append_item(menuItem(localizedString("Quit Quenlith"), "quit"));
    model_->append_section(quit);
}

Glib::RefPtr<Gio::MenuItem> MainMenu::trayMenuItem() const {
    // Without a tray the item says so beside its title, and stays off.
    return menuItem(trayControlTitle("Show in Tray", environment_.windows().tray().available()),
                    menuActionName(MenuAction::menuBarIcon));
}

void MainMenu::trayChanged() {
    auto& [section, index] = trayItem_;
    section->remove(index);
    section->insert_item(index, trayMenuItem());
    refresh();
}

std::optional<Uuid> MainMenu::keyWindowID() const {
    for (const auto& [id, controller] : environment_.windows().registry().windows())
        if (controller->panel().is_active()) return id;
    return std::nullopt;
}

BrowserViewController* MainMenu::browserIn(const std::optional<Uuid>& id) const {
    BrowserWindowController* controller = id ? environment_.windows().registry().window(*id) : nullptr;
    return controller ? &controller->browser() : nullptr;
}

BrowserViewController* MainMenu::activeBrowser() const { return browserIn(keyWindowID()); }

BrowserViewController* MainMenu::commandBrowser() const {
    return browserIn(target_.target(keyWindowID(), environment_.windows().registry().lastActiveID()));
}

BrowserViewController* MainMenu::browserOf(const Gtk::Window& window) const {
    return browserIn(browserWindowID(window));
}

std::optional<Uuid> MainMenu::browserWindowID(const Gtk::Window& window) const {
    for (const auto& [id, controller] : environment_.windows().registry().windows())
        if (&controller->panel() == &window) return id;
    return std::nullopt;
}

std::optional<Uuid> MainMenu::browserWindowID(const BrowserViewController& browser) const {
    for (const auto& [id, controller] : environment_.windows().registry().windows())
        if (&controller->browser() == &browser) return id;
    return std::nullopt;
}

void MainMenu::openedFrom(const Gtk::Window* window) {
    target_.opened(window ? browserWindowID(*window) : std::nullopt, window);
    refresh();
}

void MainMenu::closed() { target_.closed(); }

void MainMenu::runEditingCommand(std::size_t index) {
    const MenuCommandTarget::WindowKey wanted = target_.editingWindow(keyWindow());
    Gtk::Window* window = nullptr;
    // Only a window still there: the one the menu came from may have gone meanwhile.
    for (Gtk::Window* candidate : Gtk::Window::list_toplevels())
        if (candidate == wanted) window = candidate;
    GtkWidget* focus = window ? gtk_window_get_focus(window->gobj()) : nullptr;
    if (!focus) return;
    if (WEBKIT_IS_WEB_VIEW(focus)) {
        webkit_web_view_execute_editing_command(WEBKIT_WEB_VIEW(focus), kWebCommands[index]);
        return;
    }
    // What the key does: the focused widget's own binding for it, else that of a widget holding it,
    // as the key travels. An entry keeps no undo history, so Undo and Redo find none there.
    guint key = 0;
    GdkModifierType modifiers{};
    gtk_accelerator_parse(std::string(commandAccelerators(kEditingNames[index]).front()).c_str(), &key, &modifiers);
    for (GtkWidget* widget = focus; widget; widget = gtk_widget_get_parent(widget))
        if (gtk_bindings_activate(G_OBJECT(widget), key, modifiers)) return;
}

void MainMenu::bringForwardWhenAway(BrowserViewController& browser) {
    const std::optional<Uuid> id = browserWindowID(browser);
    BrowserTab* tab = browser.tabs().active();
    if (!id || !tab || !target_.isAway(*id, keyWindowID())) return;
    environment_.launcher().dismiss();
    environment_.windows().routing().focus(*id, tab->id);
}

void MainMenu::openIn(Gtk::Window& window) {
    // The button opens its menu on the first item when a key asked for it.
    if (Gtk::MenuButton* button = shownMenuButton(window, model_)) {
        button->set_active(true);
        return;
    }
    Gtk::Menu& menu = windowMenu(window);
    // Under the More button of a browser window too narrow for the menu's own, else at the top of
    // the window's content.
    Gtk::Widget* anchor = window.get_child() && window.get_child()->get_mapped() ? window.get_child() : &window;
    Gdk::Gravity anchorEdge = Gdk::GRAVITY_NORTH_WEST;
    BrowserViewController* browser = browserOf(window);
    if (browser && browser->chrome().toolbar().more().get_mapped()) {
        anchor = &browser->chrome().toolbar().more();
        anchorEdge = Gdk::GRAVITY_SOUTH_WEST;
    }
    openedFrom(&window);
    GdkEvent* trigger = gtk_get_current_event();
    menu.popup_at_widget(anchor, anchorEdge, Gdk::GRAVITY_NORTH_WEST, trigger);
    if (trigger) gdk_event_free(trigger);
    // Not shown (another application holds the keyboard): no menu is in use.
    if (!menu.get_visible()) {
        closed();
        return;
    }
    menu.select_first(false);
}

Gtk::Menu& MainMenu::windowMenu(Gtk::Window& window) {
    static constexpr const char* kHeld = "quenlith-main-menu";
    if (auto* held = static_cast<Gtk::Menu*>(g_object_get_data(G_OBJECT(window.gobj()), kHeld))) return *held;
    auto* menu = new Gtk::Menu(model_);
    // Its items find the application's actions as the window's own controls do.
    gtk_widget_insert_action_group(GTK_WIDGET(menu->gobj()), "app", G_ACTION_GROUP(application_.gobj()));
    // Closed, it goes before the chosen item runs.
    menu->signal_deactivate().connect([weak = std::weak_ptr<MainMenu*>(self_)] {
        if (auto held = weak.lock()) (*held)->closed();
    });
    g_object_set_data_full(G_OBJECT(window.gobj()), kHeld, menu,
                           [](gpointer data) { delete static_cast<Gtk::Menu*>(data); });
    return *menu;
}

void MainMenu::addMenuButton(BrowserWindowController& controller) {
    controller.browser().chrome().toolbar().setMainMenuButton(
        *makeMenuButton(), [weak = std::weak_ptr<MainMenu*>(self_), &panel = controller.panel()](bool shown) {
            auto menu = weak.lock();
            if (!menu) return;
            if (shown)
                (*menu)->openedFrom(&panel);
            else
                (*menu)->closed();
        });
}

MenuContext MainMenu::context() const { return contextOf(commandBrowser()); }

MenuContext MainMenu::contextOf(BrowserViewController* browser) const {
    MenuContext context;
    BrowserWindowManager& windows = environment_.windows();
    context.hasEnvironment = true;
    context.hiddenWindowCount = windows.publisher().hiddenWindowCount();
    context.hasVisibleWindows = windows.registry().hasVisibleWindows();
    context.trayAvailable = windows.tray().available();
    if (!browser) return context;
    MenuContext::Browser state;
    state.persistent = browser->isPersistent();
    state.hasRecentlyClosed = !browser->tabs().recentlyClosed().empty();
    auto shareable = browser->page().shareableURL();
    state.hasShareableURL = shareable.has_value();
    state.menuBarIconOn =
        shareable && browser->services().menuBarIconState && browser->services().menuBarIconState(*shareable);
    state.alwaysOnTop = browser->profile().alwaysOnTop;
    state.compactMode = browser->profile().compactMode;
    if (BrowserTab* tab = browser->tabs().active()) {
        MenuContext::Tab tabState;
        tabState.showsStartPage = tab->state().showsStartPage;
        WebKitWebView* view = tab->webView();
        const gchar* uri = view ? webkit_web_view_get_uri(view) : nullptr;
        tabState.hasURL = uri && *uri;
        tabState.credentialFreeURL = tabState.hasURL && isCredentialFreeURL(uri);
        tabState.canGoBack = view && webkit_web_view_can_go_back(view);
        tabState.canGoForward = view && webkit_web_view_can_go_forward(view);
        state.activeTab = tabState;
    }
    context.activeBrowser = state;
    return context;
}

void MainMenu::refresh() {
    const MenuContext now = context();
    for (const auto& [action, simple] : actions_) {
        MenuItemState state = validateMenuAction(action, now);
        if (simple->get_enabled() != state.enabled) simple->set_enabled(state.enabled);
        if (state.checked) {
            bool shown = false;
            simple->get_state(shown);
            if (shown != *state.checked) simple->change_state(*state.checked);
        }
    }
}

void MainMenu::perform(MenuAction action) { performOn(action, commandBrowser()); }

void MainMenu::performOn(MenuAction action, BrowserViewController* browser) {
    const MenuContext now = contextOf(browser);
    if (!validateMenuAction(action, now).enabled) return;
    AppEnvironment& environment = environment_;
    BrowserWindowManager& windows = environment.windows();
    BrowserTab* tab = browser ? browser->tabs().active() : nullptr;
    WebKitWebView* view = tab ? tab->webView() : nullptr;
    auto dismissLauncher = [&] { environment.launcher().dismiss(); };
    switch (action) {
        case MenuAction::about:
            if (links_.onAbout) links_.onAbout();
            break;
        case MenuAction::settings: environment.auxiliaryWindows().showSettings(); break;
        case MenuAction::openBrowser:
            dismissLauncher();
            windows.routing().showBrowser();
            break;
        case MenuAction::add: environment.websiteEditor().showAddWebsite(); break;
        case MenuAction::launcher:
            if (links_.onLauncher) links_.onLauncher();
            break;
        case MenuAction::quickOpen: environment.auxiliaryWindows().showQuickOpen(); break;
        case MenuAction::batchLinks: environment.auxiliaryWindows().showBatchLinks(); break;
        case MenuAction::readLater: environment.readLater(browser); break;
        case MenuAction::menuBarIcon: browser->page().toggleMenuBarIcon(); break;
        case MenuAction::privateWindow:
            dismissLauncher();
            windows.routing().openPrivateWindow();
            break;
        case MenuAction::library: environment.auxiliaryWindows().showLibrary(); break;
        case MenuAction::clip:
            browser->page().captureSelection([weak = environment.weakSelf()](PageClip draft) {
                if (auto environment = weak.lock()) (*environment)->auxiliaryWindows().showClip(draft);
            });
            break;
        case MenuAction::printPage: browser->page().printActivePage(); break;
        case MenuAction::reopenTab: browser->tabs().reopenClosed(); break;
        case MenuAction::newTab:
            browser->tabs().add(std::nullopt);
            bringForwardWhenAway(*browser);
            browser->presenter().focusAddressField();
            break;
        case MenuAction::close:
            if (browser) {
                browser->tabs().close();
            } else if (Gtk::Window* window = keyWindow()) {
                window->close();
            }
            break;
        case MenuAction::downloads: environment.auxiliaryWindows().showDownloads(); break;
        case MenuAction::find: browser->page().showFindBar(); break;
        case MenuAction::nextMatch:
        case MenuAction::previousMatch: findAgain(*browser, action == MenuAction::previousMatch); break;
        case MenuAction::address:
            bringForwardWhenAway(*browser);
            browser->presenter().focusAddressField();
            break;
        case MenuAction::reload: browser->page().reloadActiveTab(); break;
        case MenuAction::stop:
            if (view) webkit_web_view_stop_loading(view);
            break;
        case MenuAction::back:
            if (view) webkit_web_view_go_back(view);
            break;
        case MenuAction::forward:
            if (view) webkit_web_view_go_forward(view);
            break;
        case MenuAction::zoomIn:
        case MenuAction::zoomOut:
        case MenuAction::zoomReset:
        case MenuAction::compact:
        case MenuAction::pin: changeWebsiteSettings(*browser, action); break;
        case MenuAction::previousTab: browser->tabs().selectAdjacent(-1); break;
        case MenuAction::nextTab: browser->tabs().selectAdjacent(1); break;
        case MenuAction::arrangeLeft:
        case MenuAction::arrangeRight:
        case MenuAction::arrangeCenter:
            if (browser->services().onCommand)
                browser->services().onCommand(action == MenuAction::arrangeLeft ? BrowserCommand::arrangeLeft
                                              : action == MenuAction::arrangeRight
                                                  ? BrowserCommand::arrangeRight
                                                  : BrowserCommand::arrangeCenter);
            break;
        case MenuAction::recoverMouse:
            for (const auto& [id, controller] : windows.registry().windows()) {
                if (auto window = controller->panel().get_window())
                    gdk_window_input_shape_combine_region(window->gobj(), nullptr, 0, 0);
                controller->browser().setClickThroughEnabled(false);
            }
            windows.publisher().publishState();
            break;
        case MenuAction::showAll: windows.routing().showAll(); break;
        case MenuAction::hideAll: windows.routing().hideAll(); break;
        case MenuAction::guide: environment.auxiliaryWindows().showGuide(); break;
    }
    refresh();
}

void MainMenu::changeWebsiteSettings(BrowserViewController& browser, MenuAction action) {
    browser.applyProfile(changedWebsiteSettings(browser.profile(), action));
    if (browser.services().onProfileChange) browser.services().onProfileChange(browser.profile());
}

void MainMenu::findAgain(BrowserViewController& browser, bool backwards) {
    BrowserFindBar& findBar = browser.chrome().findBar();
    if (!findBar.get_visible()) {
        browser.page().showFindBar();
        return;
    }
    findBar.submit(backwards);
}

void MainMenu::attach(Gtk::Window& window) {
    // Once for each menu: a window kept from an earlier menu takes this one.
    static constexpr const char* kAttached = "quenlith-main-menu-attached";
    if (auto* held = static_cast<std::weak_ptr<MainMenu*>*>(g_object_get_data(G_OBJECT(window.gobj()), kAttached));
        held && held->lock() == self_)
        return;
    g_object_set_data_full(G_OBJECT(window.gobj()), kAttached, new std::weak_ptr<MainMenu*>(self_),
                           [](gpointer data) { delete static_cast<std::weak_ptr<MainMenu*>*>(data); });
    // Set through GTK itself: gtkmm's own registration would drop the window when it is hidden.
    gtk_window_set_application(window.gobj(), application_.gobj());
    window.signal_key_press_event().connect(
        [weak = std::weak_ptr<MainMenu*>(self_), &window](GdkEventKey* event) {
            auto menu = weak.lock();
            if (!menu) return false;
            (*menu)->target_.keyPressed();
            (*menu)->refresh();
            // Before the window's own handling: a title bar would take F10 into its first button.
            if (opensMenus(*event)) {
                (*menu)->openIn(window);
                return true;
            }
            // Escape stops a loading page, as in browsers, only once the focused control (the find
            // bar, the page itself) has had it and left it: the window's accelerators would come
            // first. The page answers later; what it leaves comes back here.
            BrowserViewController* browser = (*menu)->browserOf(window);
            if (!browser || event->keyval != GDK_KEY_Escape ||
                (event->state & gtk_accelerator_get_default_mod_mask()) != 0)
                return false;
            if (!gtk_window_propagate_key_event(window.gobj(), event)) (*menu)->performOn(MenuAction::stop, browser);
            return true;
        },
        false);
    // The commands follow the key window as the focus moves, not only once a key or a menu is used:
    // their states are read over the session bus too, by clients that press no key in our windows.
    window.property_is_active().signal_changed().connect([weak = std::weak_ptr<MainMenu*>(self_)] {
        if (auto menu = weak.lock()) (*menu)->refresh();
    });
    // The mouse's back and forward buttons act on the browser window they are pressed in, whether
    // or not it is the key window. They are taken before the page sees them: a web view takes every
    // button and does nothing with these two.
    for (const auto& [button, action] : {std::pair{8u, MenuAction::back}, std::pair{9u, MenuAction::forward}}) {
        auto gesture = Gtk::GestureMultiPress::create(window);
        gesture->set_button(button);
        gesture->set_propagation_phase(Gtk::PHASE_CAPTURE);
        gesture->signal_pressed().connect(
            [weak = std::weak_ptr<MainMenu*>(self_), &window, held = gesture.operator->(), action](int, double, double) {
                auto menu = weak.lock();
                BrowserViewController* browser = menu ? (*menu)->browserOf(window) : nullptr;
                if (!browser) return;
                held->set_state(Gtk::EVENT_SEQUENCE_CLAIMED);
                (*menu)->performOn(action, browser);
            });
        // The window keeps its gestures: GTK 3 leaves a gesture's lifetime to its creator.
        g_object_set_data_full(G_OBJECT(window.gobj()), button == 8 ? "quenlith-back-button" : "quenlith-forward-button",
                               new Glib::RefPtr<Gtk::GestureMultiPress>(gesture), [](gpointer data) {
                                   delete static_cast<Glib::RefPtr<Gtk::GestureMultiPress>*>(data);
                               });
    }
}

void MainMenu::attachToEveryWindow() {
    windowWatch_ = std::make_unique<ToplevelWatch>([this](Gtk::Window& window) {
        holdOnlyItsWindow(window);
        attach(window);
    });
}

Gtk::MenuButton* MainMenu::makeMenuButton() {
    auto* button = Gtk::manage(new Gtk::MenuButton());
    // A menu window of its own, placed on the screen (with scroll arrows when taller than it): a
    // popover is drawn inside the window it opens from, which cuts off what does not fit there.
    button->set_use_popover(false);
    button->set_menu_model(model_);
    button->set_image_from_icon_name("open-menu-symbolic", Gtk::ICON_SIZE_BUTTON);
    button->set_relief(Gtk::RELIEF_NONE);
    button->set_tooltip_text(localizedString("Main Menu"));
    // Read by its tooltip, not as the toolkit's "Menu".
    nameControl(*button, localizedString("Main Menu"));
    // Its commands act on the window holding the button: the menu takes the focus from it. Closed,
    // it goes before the chosen item runs.
    button->signal_toggled().connect([weak = std::weak_ptr<MainMenu*>(self_), button] {
        auto menu = weak.lock();
        if (!menu) return;
        if (button->get_active())
            (*menu)->openedFrom(dynamic_cast<const Gtk::Window*>(button->get_toplevel()));
        else
            (*menu)->closed();
    });
    button->show();
    return button;
}

}  // namespace quenlith
