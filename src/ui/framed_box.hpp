#pragma once

#include <gtkmm/box.h>

namespace quenlith {

// A box framed to a size of its own: it asks for exactly that size, so a window that is not
// resizable takes it rather than its content's natural size, and for more only where its content
// cannot be shown in less. A frame side of -1 leaves that side to the content.
class FramedBox : public Gtk::Box {
public:
    explicit FramedBox(Gtk::Orientation orientation = Gtk::ORIENTATION_VERTICAL, int spacing = 0);

    void setFrame(int width, int height);

protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const override;
    void get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const override;

private:
    int width_ = -1;
    int height_ = -1;
};

}  // namespace quenlith
