// hot_key_probe: builds the application's object graph on the current XDG folders and answers one
// command per line of standard input, one line of output each:
//   errors                 every shortcut refusal, "error NAME: MESSAGE", then "end"
//   clickthrough NAME      toggles click-through of the website's window: "clickthrough on|off"
//   restore                "Restore Mouse Control": "restored"
//   count                  windows in click-through: "count N"
//   delete NAME            deletes the website: "deleted"
// Prints "ready" once the shortcuts are registered.
#include <iostream>
#include <string>

#include <glibmm/iochannel.h>
#include <glibmm/main.h>
#include <gtkmm/main.h>

#include "app/app_environment.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/hot_key_manager.hpp"

using namespace quenlith;

int main(int argc, char** argv) {
    Gtk::Main kit(argc, argv);
    AppEnvironment environment;
    environment.windows().restoreSession();
    auto website = [&](const std::string& name) -> std::optional<Uuid> {
        for (const auto& profile : environment.store.profiles())
            if (profile.name == name) return profile.id;
        return std::nullopt;
    };
    auto answer = [&](const std::string& line) {
        const auto space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string name = space == std::string::npos ? "" : line.substr(space + 1);
        if (command == "errors") {
            for (const auto& [binding, message] : environment.hotKeys().errors())
                std::cout << "error " << binding << ": " << message << "\n";
            std::cout << "end" << std::endl;
        } else if (command == "clickthrough" && website(name)) {
            BrowserWindowController* controller = environment.windows().window(*website(name));
            if (controller) environment.windows().toggleClickThrough(*controller);
            std::cout << "clickthrough " << (controller && controller->browser().clickThroughEnabled ? "on" : "off")
                      << std::endl;
        } else if (command == "count") {
            std::cout << "count " << environment.windows().clickThroughCount() << std::endl;
        } else if (command == "restore") {
            environment.windows().restoreMouseControl();
            std::cout << "restored" << std::endl;
        } else if (command == "delete" && website(name)) {
            environment.windows().deleteWebsite(*website(name));
            std::cout << "deleted" << std::endl;
        } else {
            std::cout << "unknown " << line << std::endl;
        }
    };
    auto input = Glib::IOChannel::create_from_fd(0);
    Glib::signal_io().connect(
        [&](Glib::IOCondition) {
            Glib::ustring line;
            if (input->read_line(line) != Glib::IO_STATUS_NORMAL) {
                kit.quit();
                return false;
            }
            answer(std::string(line.raw().substr(0, line.raw().find_last_not_of('\n') + 1)));
            return true;
        },
        input, Glib::IO_IN | Glib::IO_HUP);
    Glib::signal_idle().connect_once([&] {
        Glib::signal_idle().connect_once([] { std::cout << "ready" << std::endl; });
    });
    kit.run();
    return 0;
}
