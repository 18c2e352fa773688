#include "launcher/fitting_label.hpp"

namespace quenlith {

FittingLabel::FittingLabel(const Glib::ustring& text) : Gtk::Label(text) {}

void FittingLabel::get_preferred_width_vfunc(int& minimum, int& natural) const {
    Gtk::Label::get_preferred_width_vfunc(minimum, natural);
    minimum = 0;
}

void FittingLabel::on_size_allocate(Gtk::Allocation& allocation) {
    Gtk::Label::on_size_allocate(allocation);
    int minimum = 0, natural = 0;
    Gtk::Label::get_preferred_width_vfunc(minimum, natural);
    // Hidden from drawing only: the parent keeps allocating it, so it comes back when there is room.
    set_child_visible(allocation.get_width() >= natural);
}

}  // namespace quenlith
