#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quenlith {

// What a top-level X window tells about the application it belongs to.
struct WindowApplicationIdentity {
    std::optional<std::string> applicationID;  // _GTK_APPLICATION_ID
    std::optional<std::string> instanceName;   // WM_CLASS, first part
    std::optional<std::string> className;      // WM_CLASS, second part
};

// One installed desktop entry: its desktop-file id ("org.example.App.desktop") and the window
// class it declares (StartupWMClass).
struct DesktopApplication {
    std::string id;
    std::optional<std::string> startupWMClass;
};

// The desktop-file id of the application owning a window: the GTK application id (as
// "<id>.desktop"); else the entry whose StartupWMClass is the window's class or instance name;
// else the entry whose id, without ".desktop" or by its last dotted part, is the class or instance
// name in any letter case. An application without an entry is known by its window class as it
// stands (it matches no link, but still counts as another application); none without any name.
std::optional<std::string> desktopApplicationID(const WindowApplicationIdentity& window,
                                                const std::vector<DesktopApplication>& installed);

}  // namespace quenlith
