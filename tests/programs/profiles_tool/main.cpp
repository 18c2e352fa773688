// Writes and reads the websites file for the window-manager checks.
//   profiles_tool write FILE --website NAME ADDRESS [OPTION VALUE]... [--website ...]
//     options (for the website before them): --launch 0|1, --above 0|1, --all-workspaces 0|1,
//     --opacity F, --frame X,Y,W,H[,DISPLAY], --id UUID, --shortcut KEYCODE,MODIFIERS, --tuck 0|1,
//     --compact 0|1, --link DESKTOP-ID, --tray 0|1
//   profiles_tool restore-windows SETTINGS-FILE 0|1
//   profiles_tool frames FILE
//     one line per website: "NAME X Y W H DISPLAY" ("-" without display), or "NAME none"
// Exits non-zero when the file cannot be written or read.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"

namespace {

using namespace quenlith;

int write(const std::string& file, int argc, char** argv, int first) {
    std::vector<WebAppProfile> websites;
    for (int i = first; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--website" && i + 2 < argc) {
            WebAppProfile website;
            website.name = argv[i + 1];
            website.homeURL = argv[i + 2];
            website.sortOrder = static_cast<std::int64_t>(websites.size());
            websites.push_back(website);
            i += 2;
            continue;
        }
        if (websites.empty() || i + 1 >= argc) {
            std::cerr << "profiles_tool: unexpected " << option << "\n";
            return 2;
        }
        std::string value = argv[++i];
        WebAppProfile& website = websites.back();
        if (option == "--launch") {
            website.launchAtStartup = value == "1";
        } else if (option == "--above") {
            website.alwaysOnTop = value == "1";
        } else if (option == "--all-workspaces") {
            website.followAcrossSpaces = value == "1";
        } else if (option == "--opacity") {
            website.opacity = std::strtod(value.c_str(), nullptr);
        } else if (option == "--tuck") {
            website.edgeTuckEnabled = value == "1";
        } else if (option == "--compact") {
            website.compactMode = value == "1";
        } else if (option == "--tray") {
            website.menuBarIconEnabled = value == "1";
        } else if (option == "--link") {
            website.applicationLinkEnabled = true;
            website.linkedApplications = std::vector<LinkedApplication>{{value, value}};
        } else if (option == "--id" && Uuid::parse(value)) {
            website.id = *Uuid::parse(value);
        } else if (option == "--shortcut") {
            ShortcutConfiguration shortcut;
            if (std::sscanf(value.c_str(), "%u,%u", &shortcut.keyCode, &shortcut.modifiers) != 2) return 2;
            website.globalShortcut = shortcut;
        } else if (option == "--frame") {
            CodableRect frame{};
            std::uint32_t display = 0;
            const int count = std::sscanf(value.c_str(), "%lf,%lf,%lf,%lf,%u", &frame.x, &frame.y, &frame.width,
                                          &frame.height, &display);
            if (count < 4) return 2;
            if (count == 5) frame.displayID = display;
            website.windowFrame = frame;
        } else {
            std::cerr << "profiles_tool: unknown option " << option << "\n";
            return 2;
        }
    }
    if (auto saved = ProfilePersistence(file).save(websites); !saved) {
        std::cerr << "profiles_tool: " << saved.error().message << "\n";
        return 1;
    }
    return 0;
}

int frames(const std::string& file) {
    auto loaded = ProfilePersistence(file).load();
    if (!loaded) {
        std::cerr << "profiles_tool: " << loaded.error().message << "\n";
        return 1;
    }
    for (const auto& website : *loaded) {
        std::cout << website.name;
        if (const auto& frame = website.windowFrame)
            std::cout << ' ' << frame->x << ' ' << frame->y << ' ' << frame->width << ' ' << frame->height
                      << ' ' << (frame->displayID ? std::to_string(*frame->displayID) : "-") << '\n';
        else
            std::cout << " none\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "write") return write(argv[2], argc, argv, 3);
    if (argc == 3 && std::string(argv[1]) == "frames") return frames(argv[2]);
    if (argc == 4 && std::string(argv[1]) == "restore-windows") {
        PreferencesStore preferences(argv[2]);
        preferences.update([&](AppPreferences& value) { value.restoreWindows = std::string(argv[3]) == "1"; });
        return 0;
    }
    std::cerr << "usage: profiles_tool write FILE --website NAME ADDRESS [OPTION VALUE]... | frames FILE\n";
    return 2;
}
