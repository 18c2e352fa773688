#pragma once

#include <memory>
#include <string>

#include <gtkmm/messagedialog.h>

namespace Gtk {
class Window;
}

namespace quenlith {

// Makes a message dialog headed by `title` with `message` under it (plain text, either of which may
// hold names; no message leaves the place empty), modal when `modal`, transient for
// `parent` when one is given. Every message dialog of the application is made here, so each is
// titled by its heading in the window list, and a screen reader announces it by that heading
// instead of the toolkit's word for its kind ("Warning"), which it reads after it as the dialog's
// description. Its texts are shown and read without bidirectional controls.
std::unique_ptr<Gtk::MessageDialog> makeMessageDialog(Gtk::MessageType type, const std::string& title,
                                                      const std::string& message, Gtk::Window* parent = nullptr,
                                                      bool modal = true);

}  // namespace quenlith
