#pragma once

#include <functional>

namespace Gtk {
class Window;
}

namespace quenlith {

// Hands the closure every window of the application a person works in (windows, dialogs and
// sheets, whoever built them; not menus, tooltips or off-screen windows) each time it shows, before
// it takes any input, and at once those shown already: what every window must take reaches the
// dialogs the toolkit and the web engine build too. Lasts as long as it lives. Main thread only.
class ToplevelWatch {
public:
    explicit ToplevelWatch(std::function<void(Gtk::Window&)> onShown);
    ~ToplevelWatch();
    ToplevelWatch(const ToplevelWatch&) = delete;
    ToplevelWatch& operator=(const ToplevelWatch&) = delete;

private:
    std::function<void(Gtk::Window&)> onShown_;
    unsigned signal_ = 0;
    unsigned long hook_ = 0;
};

}  // namespace quenlith
