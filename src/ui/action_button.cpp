#include "ui/action_button.hpp"

#include <atkmm/object.h>
#include <gtkmm/cssprovider.h>

#include "model/kept_call.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

ActionButton::ActionButton(std::string_view symbol, const std::string& toolTip,
                           std::function<void()> action) {
    set_relief(Gtk::RELIEF_NONE);
    // Clicking a chrome button must not take the keyboard focus from the page.
    set_focus_on_click(false);
    get_style_context()->add_class("image-button");
    // Themes pad buttons beyond 28 pixels; this one is exactly as large as asked.
    static const auto compact = [] {
        auto provider = Gtk::CssProvider::create();
        provider->load_from_data("button { min-width: 0; min-height: 0; padding: 0; }");
        return provider;
    }();
    get_style_context()->add_provider(compact, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    add(image_);
    setSymbol(symbol, toolTip);
    onAction_ = std::move(action);
    set_size_request(kSize, kSize);
}

void ActionButton::invoke() {
    // The action may end what holds the button (the window or list it sits in): it runs from a copy.
    callKept(onAction_);
}

void ActionButton::on_clicked() {
    invoke();
}

void ActionButton::setSymbol(std::string_view symbol, const std::string& description) {
    symbol_ = std::string(symbol);
    set_tooltip_text(description);
    get_accessible()->set_name(description);
    const std::string iconName = iconNameForSymbol(symbol);
    if (iconIsAvailable(iconName)) {
        image_.set_from_icon_name(iconName, Gtk::ICON_SIZE_BUTTON);
        image_.get_accessible()->set_description(description);
        image_.show();
    } else {
        image_.clear();
        image_.get_accessible()->set_description("");
        image_.hide();
    }
}

std::string ActionButton::imageDescription() const {
    if (!image_.get_visible()) return {};
    return const_cast<Gtk::Image&>(image_).get_accessible()->get_description();
}

}  // namespace quenlith
