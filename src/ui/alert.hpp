#pragma once

#include <functional>
#include <memory>
#include <string>

namespace Gtk {
class MessageDialog;
class Window;
}

namespace quenlith {

// The modal dialog currently attached to `window` (a visible modal window transient for it),
// or nullptr. A window shows at most one such dialog at a time.
Gtk::Window* attachedSheet(const Gtk::Window& window);
inline bool hasAttachedSheet(const Gtk::Window& window) {
    return attachedSheet(window) != nullptr;
}

// What a one-button message tells, which assistive technologies announce before its text: a
// failure is an error; a command refused, or one that cannot run here, a warning; news of a
// success information.
enum class AlertKind { information, warning, error };

// Shows a one-button message of that kind: `title` as the primary text, `message` as the secondary
// text, both plain text, and a localised "OK" button. Attached to `window` when it is visible and
// shows no dialog yet; otherwise a free-standing dialog, modal and kept above. Either way it
// returns at once (no loop of its own), and the dialog goes when answered.
void presentAlert(AlertKind kind, const std::string& title, const std::string& message, Gtk::Window* window);
// The same message for news nobody asked for (a background save failed): it never waits. Without
// a window to attach to, the dialog stands on its own and is not modal; either goes when answered.
void showAlert(AlertKind kind, const std::string& title, const std::string& message, Gtk::Window* window);

// A free-standing one-button message of that kind, modal and kept above, shown at once, for news
// the person must read before the application goes on; `answered` runs once, on the turn of the
// main loop after it is answered (a closure that may outlive what it holds holds it weakly). The
// caller owns it: destroyed unanswered, it goes without a call.
std::unique_ptr<Gtk::MessageDialog> presentNotice(AlertKind kind, const std::string& title,
                                                  const std::string& message, std::function<void()> answered);

// Answers every shown modal dialog as if closed. A dialog the toolkit waits for in a loop of its
// own (a file chooser's error, the overwrite question) ends that loop so: a quit asked for from
// inside it is seen only once every such loop has ended.
void closeModalDialogs();

// Places a sheet about to be shown centred over its window and wholly on that window's work
// area, also when the window is low on the screen or larger sheets would reach past an edge.
void placeSheet(Gtk::Window& sheet, Gtk::Window& window);

}  // namespace quenlith
