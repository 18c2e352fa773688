#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/scale.h>

namespace quenlith {

// A window opacity as a fraction 0.35...1.0: the title with the rounded percentage, a slider in
// steps of 0.01, "Reset to 100%", and the two ends of the scale named. Every change goes to
// `onChange` at once; the owner keeps the value.
class WindowOpacityControl : public Gtk::Box {
public:
    explicit WindowOpacityControl(const std::string& title);

    void setOnChange(std::function<void(double)> onChange) { onChange_ = std::move(onChange); }
    // Hands `value` to the owner as a change from the control, without showing it.
    void reportChange(double value) const;

    void setValue(double value);
    double value() const { return value_; }
    std::string percentText() const { return percent_.get_text(); }
    void reset();

    Gtk::Scale& slider() { return slider_; }
    // The icon name of the symbol beside the title.
    std::string titleSymbol() const { return symbol_.get_icon_name(); }

private:
    // A slider whose accessible value reads as the percentage text, as the title row shows it.
    class Slider : public Gtk::Scale {
    public:
        Slider();
    };

    void showValue();

    std::function<void(double)> onChange_;
    double value_ = 1.0;
    bool updating_ = false;
    Gtk::Box titleRow_{Gtk::ORIENTATION_HORIZONTAL, 6};
    Gtk::Image symbol_;
    Gtk::Label title_;
    Gtk::Label percent_;
    Gtk::Box sliderRow_{Gtk::ORIENTATION_HORIZONTAL, 12};
    Slider slider_;
    Gtk::Button reset_;
    Gtk::Box captionRow_{Gtk::ORIENTATION_HORIZONTAL, 0};
    Gtk::Label moreTransparent_;
    Gtk::Label fullyOpaque_;
};

}  // namespace quenlith
