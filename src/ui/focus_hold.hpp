#pragma once

namespace Gtk {
class Window;
}

namespace quenlith {

// While `window` (a notice modal for the whole application) is shown, it keeps the keyboard: when
// another window of this application takes it, as the launcher a first start shows after the
// notice does under xfwm4, the notice asks for it back at once and comes in front again. Openbox
// hands the focus to such a window itself; other window managers leave it to the one that asked.
// The keyboard another application's window takes stays there. Main thread only.
void holdFocusWhileShown(Gtk::Window& window);

}  // namespace quenlith
