#include "ui/window_opacity_control.hpp"

#include <cmath>

#include <atkmm/object.h>

#include "ui/form_rows.hpp"
#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

WindowOpacityControl::WindowOpacityControl(const std::string& title)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8),
      title_(title),
      reset_(localizedString("Reset to 100%")),
      moreTransparent_(localizedString("More transparent")),
      fullyOpaque_(localizedString("Fully opaque")) {
    set_margin_top(4);
    set_margin_bottom(4);
    title_.set_xalign(0);
    styleHeadline(title_);
    styleHeadline(percent_);
    titleRow_.pack_start(title_, Gtk::PACK_EXPAND_WIDGET);
    titleRow_.pack_end(percent_, Gtk::PACK_SHRINK);

    slider_.set_range(kMinimumOpacity, kMaximumOpacity);
    slider_.set_increments(0.01, 0.05);
    slider_.set_digits(2);
    slider_.set_draw_value(false);
    slider_.get_accessible()->set_name(title);
    slider_.signal_value_changed().connect([this] {
        if (updating_) return;
        // The slider moves in whole steps; the stored value keeps that precision.
        value_ = std::round(slider_.get_value() * 100.0) / 100.0;
        showValue();
        if (onChange) onChange(value_);
    });
    reset_.signal_clicked().connect([this] { reset(); });
    sliderRow_.pack_start(slider_, Gtk::PACK_EXPAND_WIDGET);
    sliderRow_.pack_end(reset_, Gtk::PACK_SHRINK);

    styleCaption(moreTransparent_);
    styleCaption(fullyOpaque_);
    captionRow_.pack_start(moreTransparent_, Gtk::PACK_SHRINK);
    captionRow_.pack_end(fullyOpaque_, Gtk::PACK_SHRINK);

    pack_start(titleRow_, Gtk::PACK_SHRINK);
    pack_start(sliderRow_, Gtk::PACK_SHRINK);
    pack_start(captionRow_, Gtk::PACK_SHRINK);
    showValue();
}

void WindowOpacityControl::setValue(double value) {
    value_ = value;
    showValue();
}

void WindowOpacityControl::reset() {
    value_ = 1.0;
    showValue();
    if (onChange) onChange(value_);
}

void WindowOpacityControl::showValue() {
    updating_ = true;
    slider_.set_value(value_);
    updating_ = false;
    std::string text = quenlith::percentText(roundedPercent(value_));
    percent_.set_text(text);
    slider_.get_accessible()->set_description(text);
}

}  // namespace quenlith
