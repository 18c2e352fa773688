// hot_key_probe: the application, answering the commands of tests/wm/hot_key_checks.sh one a line.
#include <iostream>
#include <optional>

#include <glibmm/iochannel.h>
#include <glibmm/main.h>
#include <gtkmm/main.h>

#include "app/app_environment.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

int main(int argc, char** argv) {
    using namespace quenlith;
    Gtk::Main kit(argc, argv);
    AppEnvironment environment;
    BrowserWindowManager& windows = environment.windows();
    windows.session().restoreSession();
    // The window the last command made or chose, noted as the command ends: a window made earlier
    // may get the focus only now, on a busy machine, and would pass for the latest one.
    std::optional<Uuid> lastMade;
    auto answer = [&](const std::string& command, const std::string& name) -> std::string {
        Uuid id;
        for (const auto& website : environment.store().profiles())
            id = website.name == name ? website.id : id;
        // Without a name: the window the last command made (the window manager may not have
        // focused it yet), else the active one.
        BrowserWindowController* latest = lastMade ? windows.registry().window(*lastMade) : nullptr;
        BrowserWindowController* controller =
            name.empty() ? (latest ? latest : windows.registry().activeWindowController())
                         : windows.registry().window(id);
        const std::map<std::string, BrowserCommand> commands{{"clickthrough", BrowserCommand::clickThrough},
                                                             {"duplicate", BrowserCommand::duplicate},
                                                             {"other", BrowserCommand::otherSessionWindow}};
        if (commands.contains(command) && controller)
            controller->browser().services().onCommand(commands.at(command));
        if (command == "private") windows.routing().openPrivateWindow();
        if (command == "delete") windows.closing().deleteWebsite(id);
        if (auto* browser = command == "menubar" ? windows.routing().open(name) : nullptr)
            return browser->services().onToggleMenuBarIcon(name),
                   "websites " + std::to_string(environment.store().profiles().size());
        if (command == "clickthrough" || command == "count")
            return "clickthrough " + std::to_string(windows.publisher().clickThroughCount());
        // The window a command just made: the window manager may not have given it the focus yet
        // (the probe's commands come with no input of the person).
        BrowserWindowController* made = windows.registry().lastActiveID()
                                            ? windows.registry().window(*windows.registry().lastActiveID())
                                            : nullptr;
        if (BrowserWindowController* active = made ? made : windows.registry().activeWindowController();
            active && command != "delete")
            return !active->browser().isPersistent()                   ? "private"
                   : active->browser().profile().dataStoreIdentifier() ? "own"
                                                                       : "shared";
        return "deleted";
    };
    auto input = Glib::IOChannel::create_from_fd(0);
    Glib::signal_io().connect(
        [&](Glib::IOCondition) {
            Glib::ustring line;
            if (input->read_line(line) != Glib::IO_STATUS_NORMAL) return kit.quit(), false;
            std::string text = line.raw().substr(0, line.raw().find('\n')), name;
            if (auto space = text.find(' '); space != std::string::npos)
                name = text.substr(space + 1), text.resize(space);
            std::cout << answer(text, name) << std::endl;
            lastMade = windows.registry().lastActiveID();
            return true;
        },
        input, Glib::IO_IN | Glib::IO_HUP);
    // The environment takes the shortcuts on its first idle turn; this runs after it.
    Glib::signal_idle().connect_once([&] {
        for (const auto& [binding, message] : environment.hotKeys().errors())
            std::cout << "error " << binding << ": " << message << "\n";
        std::cout << "ready" << std::endl;
    });
    kit.run();
}
