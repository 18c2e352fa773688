// Shows one floating window for each of two website records and reports on stdout, one line each:
//   window NAME XID              once the window is mapped
//   frame NAME X Y W H DISPLAY   whenever its frame changes (DISPLAY "-" when it has none)
// "Pinned" stays above and on all workspaces at opacity 0.85, with a header bar; "Plain" does
// neither, at 0.6, in compact mode.
// Options: --frame NAME=X,Y,W,H[,DISPLAY] gives a record a remembered frame;
//          --default-size W,H is the size of a window without one (480,720 when not given).
// Ends on SIGTERM or SIGINT.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <glib-unix.h>
#include <gtkmm/label.h>
#include <gtkmm/main.h>

#include "windows/floating_browser_panel.hpp"

#include <gdk/gdkx.h>

namespace {

using namespace quenlith;

std::vector<double> numbers(const std::string& text) {
    std::vector<double> values;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ',')) values.push_back(std::strtod(part.c_str(), nullptr));
    return values;
}

void say(const std::string& line) {
    std::cout << line << std::endl;  // flushed: the checking script reads as we go
}

}  // namespace

int main(int argc, char** argv) {
    Gtk::Main kit(argc, argv);

    WebAppProfile pinned;
    pinned.name = "Pinned";
    pinned.homeURL = "https://pinned.example";
    pinned.alwaysOnTop = true;
    pinned.followAcrossSpaces = true;
    pinned.opacity = 0.85;
    WebAppProfile plain;
    plain.name = "Plain";
    plain.homeURL = "https://plain.example";
    plain.alwaysOnTop = false;
    plain.followAcrossSpaces = false;
    plain.opacity = 0.6;
    plain.compactMode = true;
    std::vector<WebAppProfile> records = {pinned, plain};

    double defaultWidth = 480, defaultHeight = 720;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i], value = argv[i + 1];
        if (option == "--default-size") {
            auto size = numbers(value);
            if (size.size() == 2) defaultWidth = size[0], defaultHeight = size[1];
        } else if (option == "--frame") {
            auto equals = value.find('=');
            if (equals == std::string::npos) continue;
            auto values = numbers(value.substr(equals + 1));
            if (values.size() < 4) continue;
            CodableRect frame{values[0], values[1], values[2], values[3], std::nullopt};
            if (values.size() > 4) frame.displayID = static_cast<std::uint32_t>(values[4]);
            for (auto& record : records)
                if (record.name == value.substr(0, equals)) record.windowFrame = frame;
        }
    }

    std::vector<std::unique_ptr<FloatingBrowserPanel>> panels;
    std::vector<std::unique_ptr<Gtk::Label>> labels;
    for (const auto& record : records) {
        auto panel = std::make_unique<FloatingBrowserPanel>(record.followAcrossSpaces);
        panel->apply(record);
        auto label = std::make_unique<Gtk::Label>(record.name);
        panel->add(*label);
        panel->applyFrame(record.windowFrame, defaultWidth, defaultHeight);
        auto* window = panel.get();
        std::string name = record.name;
        panel->signal_map_event().connect(
            [window, name](GdkEventAny*) {
                say("window " + name + " " +
                    std::to_string(gdk_x11_window_get_xid(window->get_window()->gobj())));
                return false;
            },
            false);
        panel->signal_frame_changed().connect([window, name] {
            CodableRect saved = window->savedFrame();
            std::ostringstream line;
            line << "frame " << name << " " << saved.x << " " << saved.y << " " << saved.width << " "
                 << saved.height << " " << (saved.displayID ? std::to_string(*saved.displayID) : "-");
            say(line.str());
        });
        panel->show_all();
        panels.push_back(std::move(panel));
        labels.push_back(std::move(label));
    }

    auto quit = [](gpointer) -> gboolean {
        Gtk::Main::quit();
        return G_SOURCE_REMOVE;
    };
    g_unix_signal_add(SIGTERM, quit, nullptr);
    g_unix_signal_add(SIGINT, quit, nullptr);
    Gtk::Main::run();
    return 0;
}
