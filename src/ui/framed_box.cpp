#include "ui/framed_box.hpp"

#include <algorithm>

namespace quenlith {

namespace {

// The content's minimum, raised to the frame's side; what it would like beyond that is not asked for.
void framed(int side, int& minimum, int& natural) {
    if (side < 0) return;
    minimum = std::max(minimum, side);
    natural = minimum;
}

}  // namespace

FramedBox::FramedBox(Gtk::Orientation orientation, int spacing) : Gtk::Box(orientation, spacing) {}

void FramedBox::setFrame(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    queue_resize();
}

void FramedBox::get_preferred_width_vfunc(int& minimum, int& natural) const {
    Gtk::Box::get_preferred_width_vfunc(minimum, natural);
    framed(width_, minimum, natural);
}

void FramedBox::get_preferred_height_vfunc(int& minimum, int& natural) const {
    Gtk::Box::get_preferred_height_vfunc(minimum, natural);
    framed(height_, minimum, natural);
}

void FramedBox::get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const {
    Gtk::Box::get_preferred_height_for_width_vfunc(width, minimum, natural);
    framed(height_, minimum, natural);
}

void FramedBox::get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const {
    Gtk::Box::get_preferred_width_for_height_vfunc(height, minimum, natural);
    framed(width_, minimum, natural);
}

}  // namespace quenlith
