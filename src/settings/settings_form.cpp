#include "settings/settings_form.hpp"

#include <algorithm>
#include <optional>

#include <glibmm/main.h>

#include "ui/form_rows.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/wheel_guard.hpp"

namespace quenlith {

SettingsForm::SettingsForm() {
    set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    page_.set_border_width(12);
    add(page_);
    leaveWheelToScrolling(*this);
    keepFocusInView(*this);
}

SettingsForm::~SettingsForm() {
    revealAllocated_.disconnect();
    revealIdle_.disconnect();
}

void SettingsForm::scrollIntoView(Gtk::Widget& widget) {
    revealAllocated_.disconnect();
    revealIdle_.disconnect();
    // Its place is known once the page is laid out again; scrolling waits for the layout to end.
    revealAllocated_ = widget.signal_size_allocate().connect([this, &widget](Gtk::Allocation&) {
        revealAllocated_.disconnect();
        revealIdle_ = Glib::signal_idle().connect([this, &widget] {
            reveal(widget);
            return false;
        });
    });
    widget.queue_resize();
}

void SettingsForm::reveal(Gtk::Widget& widget) {
    int x = 0, y = 0;
    if (!widget.translate_coordinates(page_, 0, 0, x, y)) return;
    auto scroll = get_vadjustment();
    const double top = y, bottom = y + widget.get_allocated_height() + page_.get_border_width();
    const double visible = scroll->get_page_size();
    if (bottom > scroll->get_value() + visible)
        scroll->set_value(std::min(bottom - visible, scroll->get_upper() - visible));
    else if (top < scroll->get_value())
        scroll->set_value(top);
}

Gtk::Box& SettingsForm::addSection(const std::string& title) {
    auto* rows = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
    if (title.empty())
        page_.pack_start(*rows, Gtk::PACK_SHRINK);
    else
        page_.pack_start(*makeSection(title, *rows), Gtk::PACK_SHRINK);
    return *rows;
}

Gtk::Label* SettingsForm::makeErrorLabel() {
    auto* label = Gtk::manage(new Gtk::Label());
    label->set_xalign(0);
    label->set_line_wrap(true);
    makeCopyable(*label);
    readableErrorText(*label);
    label->get_style_context()->add_class("error");
    label->set_no_show_all(true);
    return label;
}

Gtk::ComboBoxText* SettingsForm::makePicker(const std::vector<std::string>& rows) {
    auto* picker = Gtk::manage(new Gtk::ComboBoxText());
    for (const auto& row : rows) picker->append(row);
    return picker;
}

void showMessage(Gtk::Label& label, const std::optional<std::string>& text) {
    label.set_text(text.value_or(""));
    label.set_visible(text.has_value());
}

}  // namespace quenlith
