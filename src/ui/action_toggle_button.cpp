#include "ui/action_toggle_button.hpp"

#include <gtkmm/cssprovider.h>

#include "model/kept_call.hpp"
#include "ui/action_button.hpp"

namespace quenlith {

ActionToggleButton::ActionToggleButton(std::string_view symbol, const std::string& toolTip) {
    styleActionButton(*this);
    // The owner marks the state by the symbol's colour, as on the other chrome buttons; the
    // theme's pressed background would stand out among them.
    static const auto flat = [] {
        auto provider = Gtk::CssProvider::create();
        provider->load_from_data("button:checked { background-image: none; background-color: transparent;"
                                 " box-shadow: none; border-color: transparent; }");
        return provider;
    }();
    get_style_context()->add_provider(flat, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    add(image_);
    showActionSymbol(*this, image_, symbol, toolTip);
}

void ActionToggleButton::setOn(bool on) {
    shown_ = on;
    if (get_active() == on) return;
    showing_ = true;
    set_active(on);
    showing_ = false;
}

void ActionToggleButton::on_toggled() {
    Gtk::ToggleButton::on_toggled();
    if (showing_) return;
    // A click has flipped the button ahead of the owner, which answers with setOn; with nothing to
    // switch, it shows its state again.
    if (!onToggle_) return setOn(shown_);
    // The action may end what holds the button: it runs from a copy.
    callKept(onToggle_);
}

}  // namespace quenlith
