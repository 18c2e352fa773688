#include "ui/window_opacity_control.hpp"

#include <cmath>

#include <atkmm/object.h>
#include <gtk/gtk-a11y.h>

#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "model/web_app_profile.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

// Where the control keeps the percentage text its slider's accessible value reads.
constexpr char kValueTextKey[] = "quenlith-value-text";

// The accessible object of the opacity slider: the scale's own, whose value also has a text.
struct OpacitySliderAccessible {
    GtkScaleAccessible parent;
};
struct OpacitySliderAccessibleClass {
    GtkScaleAccessibleClass parent;
};

void readValueAndText(AtkValue* object, gdouble* value, gchar** text) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
    if (!widget) return;
    *value = gtk_range_get_value(GTK_RANGE(widget));
    *text = g_strdup(static_cast<const char*>(g_object_get_data(G_OBJECT(widget), kValueTextKey)));
}

void implementValue(AtkValueIface* value) {
    value->get_value_and_text = readValueAndText;
}

G_DEFINE_TYPE_WITH_CODE(OpacitySliderAccessible, opacity_slider_accessible, GTK_TYPE_SCALE_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_VALUE, implementValue))

void opacity_slider_accessible_class_init(OpacitySliderAccessibleClass*) {}
void opacity_slider_accessible_init(OpacitySliderAccessible*) {}

}  // namespace

WindowOpacityControl::Slider::Slider()
    : Glib::ObjectBase("QuenlithOpacitySlider"), Gtk::Scale(Gtk::ORIENTATION_HORIZONTAL) {
    // The class is this control's alone; its accessible objects are made on first request.
    gtk_widget_class_set_accessible_type(GTK_WIDGET_GET_CLASS(gobj()), opacity_slider_accessible_get_type());
}

WindowOpacityControl::WindowOpacityControl(const std::string& title)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8),
      title_(title),
      reset_(localizedString("Reset to 100%")),
      moreTransparent_(localizedString("More transparent")),
      fullyOpaque_(localizedString("Fully opaque")) {
    set_margin_top(4);
    set_margin_bottom(4);
    installApplicationIcons();
    symbol_.set_from_icon_name(iconNameForSymbol("circle.lefthalf.filled"), Gtk::ICON_SIZE_MENU);
    title_.set_xalign(0);
    styleHeadline(title_);
    styleHeadline(percent_);
    titleRow_.pack_start(symbol_, Gtk::PACK_SHRINK);
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
        reportChange(value_);
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
    reportChange(value_);
}

void WindowOpacityControl::reportChange(double value) const {
    if (onChange_) onChange_(value);
}

void WindowOpacityControl::showValue() {
    updating_ = true;
    slider_.set_value(value_);
    updating_ = false;
    std::string text = quenlith::percentText(roundedPercent(value_));
    percent_.set_text(text);
    g_object_set_data_full(G_OBJECT(slider_.gobj()), kValueTextKey, g_strdup(text.c_str()), g_free);
}

}  // namespace quenlith
