#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/desktop_application_match.hpp"
#include "ui/active_window.hpp"

typedef void* gpointer;

namespace quenlith {

// Follows the application in front on X11: the window manager's active window
// (_NET_ACTIVE_WINDOW), known by its GTK application id or its window class, as the desktop-file
// id of the installed application it belongs to. Reports each change of application once, on a
// later turn of the main loop; this application's own windows report `ownApplication`.
class ActiveApplicationWatcher {
public:
    using Report = std::function<void(const std::optional<std::string>& application)>;

    // None without an X11 display.
    static std::unique_ptr<ActiveApplicationWatcher> create(std::string ownApplication, Report report);
    ~ActiveApplicationWatcher();
    ActiveApplicationWatcher(const ActiveApplicationWatcher&) = delete;
    ActiveApplicationWatcher& operator=(const ActiveApplicationWatcher&) = delete;

    // The application in front now.
    std::optional<std::string> current();

private:
    ActiveApplicationWatcher(std::string ownApplication, Report report);
    static void applicationsChanged(void* monitor, gpointer self);
    void activeWindowChanged();
    // The application of an X window (0: none in front).
    std::optional<std::string> applicationOf(unsigned long window);
    const std::vector<DesktopApplication>& installed();

    std::unique_ptr<ActiveWindowWatch> activeWindow_;
    std::string ownApplication_;
    Report report_;
    std::optional<std::optional<std::string>> reported_;
    std::optional<std::vector<DesktopApplication>> installed_;
    // The GAppInfoMonitor telling of installed and removed applications.
    void* monitor_ = nullptr;
    unsigned long monitorHandler_ = 0;
};

}  // namespace quenlith
