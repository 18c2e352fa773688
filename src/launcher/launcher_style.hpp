#pragma once

#include <string>
#include <string_view>

namespace Gtk {
class Image;
class Label;
class Widget;
}

namespace quenlith {

// Installs the launcher's style sheet on the default screen once.
void installLauncherStyle();

// Text sizes are given in pixels at the desktop's standard 96 dots per inch and set in points, so
// they grow with the desktop's text scale.
inline constexpr double kPointsPerPixel = 72.0 / 96.0;

// Gives `label` plain text (never markup) of `size` pixels (at a text scale of 1) with the given
// weight and style class.
void styleLabel(Gtk::Label& label, const std::string& text, double size, int weight = 400,
                const std::string& styleClass = "");
// A new label styled so.
Gtk::Label* makeLabel(const std::string& text, double size, int weight = 400, const std::string& styleClass = "");
// A new image of the symbol, `pixels` wide.
Gtk::Image* makeSymbolImage(std::string_view symbol, int pixels);

// Counts the launcher's open menus and questions: while one is open, losing the focus does not
// close the launcher.
class LauncherHold {
public:
    // Counts `popup` as open while it is on screen.
    static void track(Gtk::Widget& popup);
    static bool active() { return count_ > 0; }

private:
    static int count_;
};

}  // namespace quenlith
