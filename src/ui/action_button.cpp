#include "ui/action_button.hpp"

#include <atkmm/object.h>
#include <gtkmm/cssprovider.h>

#include "model/isolated_text.hpp"
#include "model/kept_call.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

ActionButton::ActionButton(std::string_view symbol, const std::string& toolTip,
                           std::function<void()> action) {
    styleActionButton(*this);
    add(image_);
    setSymbol(symbol, toolTip);
    onAction_ = std::move(action);
}

void styleActionButton(Gtk::Button& button) {
    button.set_relief(Gtk::RELIEF_NONE);
    // Clicking a chrome button must not take the keyboard focus from the page.
    button.set_focus_on_click(false);
    button.get_style_context()->add_class("image-button");
    // Themes pad buttons beyond 28 pixels; this one is exactly as large as asked.
    static const auto compact = [] {
        auto provider = Gtk::CssProvider::create();
        provider->load_from_data("button { min-width: 0; min-height: 0; padding: 0; }");
        return provider;
    }();
    button.get_style_context()->add_provider(compact, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    button.set_size_request(ActionButton::kSize, ActionButton::kSize);
}

void showActionSymbol(Gtk::Button& button, Gtk::Image& image, std::string_view symbol,
                      const std::string& description) {
    button.set_tooltip_text(description);
    nameControl(button, description);
    // The toolkit reads the tooltip as the description, marks and all, unless one is given.
    button.get_accessible()->set_description(withoutIsolation(description));
    const std::string iconName = iconNameForSymbol(symbol);
    if (iconIsAvailable(iconName)) {
        image.set_from_icon_name(iconName, Gtk::ICON_SIZE_BUTTON);
        image.get_accessible()->set_description(withoutIsolation(description));
        image.show();
    } else {
        image.clear();
        image.get_accessible()->set_description("");
        image.hide();
    }
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
    showActionSymbol(*this, image_, symbol, description);
}

std::string ActionButton::imageDescription() const {
    if (!image_.get_visible()) return {};
    return const_cast<Gtk::Image&>(image_).get_accessible()->get_description();
}

}  // namespace quenlith
