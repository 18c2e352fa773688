#pragma once

namespace Gtk {
class Window;
}

namespace quenlith {

// Keeps a window inside the work area of its screen each time it is shown: larger than the work
// area, it is made to fit it (let shrink where it was fixed); once the window manager has framed and
// placed it, its frame is moved wholly inside. A window whose content cannot be shown in less keeps
// its top left corner in the work area.
void keepInWorkArea(Gtk::Window& window);

// Does so for every dialog of the process: message dialogs, the file choosers, the print dialog and
// the sheets a window opens (any window kept above another). Later calls do nothing.
void keepDialogsInWorkArea();

}  // namespace quenlith
