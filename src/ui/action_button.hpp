#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <gtkmm/button.h>
#include <gtkmm/image.h>

namespace quenlith {

// A borderless 28 x 28 image button that runs a closure. Its text is the tooltip and the
// accessible name; the image is the symbol's icon (none when the symbol has no icon).
class ActionButton : public Gtk::Button {
public:
    ActionButton(std::string_view symbol, const std::string& toolTip, std::function<void()> action = {});

    // Run by a click; may be replaced at any time.
    void setOnAction(std::function<void()> action) { onAction_ = std::move(action); }

    // The button's own action: runs the one set when there is one.
    void invoke();

    // Shows another symbol, described by `description` (the reload button while loading, the
    // start-page button of a private window): the tooltip and the accessible name follow.
    void setSymbol(std::string_view symbol, const std::string& description);

    const std::string& symbol() const { return symbol_; }
    // The accessible description of the image; empty without an image.
    std::string imageDescription() const;
    bool hasImage() const { return image_.get_visible(); }

    static constexpr int kSize = 28;

protected:
    void on_clicked() override;

private:
    std::function<void()> onAction_;
    std::string symbol_;
    Gtk::Image image_;
};

// The look of an ActionButton, for buttons of another kind (a toggle): borderless, exactly
// ActionButton::kSize square, keeping the page's focus when clicked.
void styleActionButton(Gtk::Button& button);
// Shows the symbol's icon in `image` (hidden when the symbol has none), and `description` as the
// button's tooltip and name.
void showActionSymbol(Gtk::Button& button, Gtk::Image& image, std::string_view symbol, const std::string& description);

}  // namespace quenlith
