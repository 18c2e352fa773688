#include "settings/appearance_pane.hpp"

#include <optional>
#include <string>

#include "model/app_preferences.hpp"
#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

namespace {

// A stepper of 20 pixels between the bounds; its label is made by the pane. It shows the stored
// size cut to whole pixels and steps from the stored size, fraction and all: the toolkit's own field
// would show it rounded and, reading that text back before each step, store the rounded value.
Gtk::SpinButton* makeStepper(double lower, double upper) {
    auto* stepper = Gtk::manage(new Gtk::SpinButton(Gtk::Adjustment::create(lower, lower, upper, 20, 20, 0), 0, 0));
    stepper->set_numeric(true);
    stepper->set_halign(Gtk::ALIGN_END);
    stepper->signal_output().connect(
        [stepper] {
            stepper->set_text(std::to_string(truncatedWhole(stepper->get_adjustment()->get_value())));
            return true;
        },
        false);
    stepper->signal_input().connect(
        [stepper](double* value) {
            std::optional<double> read =
                wholeStepperFieldValue(stepper->get_text().raw(), stepper->get_adjustment()->get_value());
            if (!read) return static_cast<int>(GTK_INPUT_ERROR);
            *value = *read;
            return static_cast<int>(true);
        },
        // The signal answers what its last handler returns, and the class's own answers "not handled".
        true);
    return stepper;
}

// The label shows the value too; the stepper is named by what it sets, and reports its value itself.
Gtk::Box* stepperRow(Gtk::Label*& label, Gtk::SpinButton& stepper, const std::string& name) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    label = Gtk::manage(new Gtk::Label());
    label->set_xalign(0);
    label->set_mnemonic_widget(stepper);
    nameControl(stepper, name);
    row->pack_start(*label, Gtk::PACK_EXPAND_WIDGET);
    row->pack_start(stepper, Gtk::PACK_SHRINK);
    return row;
}

}  // namespace

AppearancePane::AppearancePane(SettingsContext& context) : context_(context) {
    auto& interface = addSection(localizedString("Interface"));
    std::vector<std::string> themes;
    for (auto theme : kAllAppThemes) themes.push_back(title(theme));
    theme_ = makePicker(themes);
    interface.pack_start(*makeLabeledRow(localizedString("Theme"), *theme_), Gtk::PACK_SHRINK);
    interface.pack_start(*makeCaption(localizedString("Light is the default. Web pages may use their own appearance.")),
                         Gtk::PACK_SHRINK);
    theme_->signal_changed().connect([this] {
        int row = theme_->get_active_row_number();
        if (updating_ || row < 0) return;
        AppTheme theme = kAllAppThemes[static_cast<std::size_t>(row)];
        context_.write([theme](AppPreferences& p) { p.theme = theme; });
    });

    auto& defaults = addSection(localizedString("Defaults for new websites"));
    width_ = makeStepper(360, 1600);
    height_ = makeStepper(280, 1400);
    defaults.pack_start(*stepperRow(widthLabel_, *width_, localizedString("Width")), Gtk::PACK_SHRINK);
    defaults.pack_start(*stepperRow(heightLabel_, *height_, localizedString("Height")), Gtk::PACK_SHRINK);
    compact_ = makeSwitch(localizedString("Compact mode"));
    defaults.pack_start(*compact_, Gtk::PACK_SHRINK);
    defaults.pack_start(*makeCaption(localizedString(
                            "In compact mode, move to the top edge to reveal controls. Drag from the top edge to "
                            "move the window; use its edges to resize.")),
                        Gtk::PACK_SHRINK);
    width_->signal_value_changed().connect([this] {
        double value = width_->get_value();
        if (!updating_) context_.write([value](AppPreferences& p) { p.defaultWidth = value; });
    });
    height_->signal_value_changed().connect([this] {
        double value = height_->get_value();
        if (!updating_) context_.write([value](AppPreferences& p) { p.defaultHeight = value; });
    });
    compact_->signal_toggled().connect([this] {
        bool on = compact_->get_active();
        if (!updating_) context_.write([on](AppPreferences& p) { p.defaultCompact = on; });
    });

    context_.preferences.signal_changed().connect(sigc::mem_fun(*this, &AppearancePane::refresh));
    refresh();
}

void AppearancePane::refresh() {
    const AppPreferences& value = context_.preferences.value();
    updating_ = true;
    for (std::size_t i = 0; i < kAllAppThemes.size(); ++i)
        if (kAllAppThemes[i] == value.theme) theme_->set_active(static_cast<int>(i));
    // A stored fraction is shown cut to whole points; the stepper moves from the stored value.
    width_->set_value(value.defaultWidth);
    height_->set_value(value.defaultHeight);
    widthLabel_->set_text(localizedFormat("Width: %ld px", {truncatedWhole(value.defaultWidth)}));
    heightLabel_->set_text(localizedFormat("Height: %ld px", {truncatedWhole(value.defaultHeight)}));
    compact_->set_active(value.defaultCompact);
    updating_ = false;
}

}  // namespace quenlith
