#pragma once

#include <gtkmm/label.h>

namespace quenlith {

// A one-line label that asks for no width of its own and shows its text only when the whole of it
// fits: in a narrow launcher a title or a button's text gives way, and is never half drawn.
class FittingLabel : public Gtk::Label {
public:
    explicit FittingLabel(const Glib::ustring& text = {});

protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void on_size_allocate(Gtk::Allocation& allocation) override;
};

}  // namespace quenlith
