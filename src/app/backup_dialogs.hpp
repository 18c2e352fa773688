#pragma once

#include <functional>

#include "app/backup_transfer.hpp"

namespace Gtk {
class Window;
}

namespace quenlith {

// The backup commands' choosers and messages on the desktop: native file choosers, and dialogs
// attached to the window `parent` gives (the library window, or nullptr) only while it is visible
// and shows no other dialog; otherwise they stand alone, so nothing waits on a hidden window.
// One chooser or question per title at a time: asked again meanwhile, the open one comes forward
// and the new request is never answered.
BackupDialogs makeBackupDialogs(std::function<Gtk::Window*()> parent);

}  // namespace quenlith
