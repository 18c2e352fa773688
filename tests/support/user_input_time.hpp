#pragma once

// The time of a person's input, for key presses a test sends through GTK's own dispatch.

#include <cstdint>

namespace Gtk {
class Window;
}

namespace quenlith::test {

// The display's time now, noted as the time of the user's last input in the window, as GDK notes
// the time of each key the display delivers: a press sent with it reads as a new input.
std::uint32_t userInputNow(Gtk::Window& window);

}  // namespace quenlith::test
