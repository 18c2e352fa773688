#pragma once

namespace Gtk {
class Window;
}

namespace quenlith {

// A modal dialog attached to a window holds that window alone while it is shown, as a sheet holds
// its window, rather than every window of the application: the windows opened meanwhile (by the
// application's keys or menu in the dialog, from the tray) take their input. Called each time the
// dialog shows, before it takes input; a dialog that is not modal or is attached to no window stays
// as it is. Main thread only.
void holdOnlyItsWindow(Gtk::Window& dialog);

}  // namespace quenlith
