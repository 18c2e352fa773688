#pragma once

#include <string>
#include <string_view>

#include <sigc++/signal.h>

namespace quenlith {

// Whether the desktop has a tray to show this application's icons in: a StatusNotifierWatcher on
// the session bus, followed while the application runs. Controls that offer a tray icon read it
// and say so, instead of offering it, while there is none. Taken as there until told otherwise.
// Main thread only.
class TrayPresence {
public:
    bool available() const { return available_; }
    // Announces a change, and only a change.
    void setAvailable(bool available);
    sigc::signal<void()>& signal_changed() { return changed_; }

private:
    bool available_ = true;
    sigc::signal<void()> changed_;
};

// A tray control's title ("Show in Tray", "Add to Tray", "Remove from Tray") in the interface
// language, with the reason beside it when there is no tray; such a control is shown insensitive.
std::string trayControlTitle(std::string_view english, bool trayAvailable);
// What is shown with a tray control while there is no tray.
std::string noTrayExplanation();

}  // namespace quenlith
