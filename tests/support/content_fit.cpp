#include "support/content_fit.hpp"

#include <gdkmm/monitor.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/settings.h>

namespace quenlith::test {

namespace {

std::string sizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void walk(Gtk::Widget& widget, std::vector<std::string>& found) {
    // A text that gives way when its row is short (FittingLabel) is kept from drawing by itself:
    // shown by its parent, it is not drawn. The pages a stack or a notebook does not show are kept
    // so by them.
    if (GTK_IS_LABEL(widget.gobj()) && widget.get_visible() && !widget.get_child_visible()) {
        const Gtk::Widget* parent = widget.get_parent();
        if (parent && parent->get_is_drawable() && !GTK_IS_STACK(parent->gobj()) && !GTK_IS_NOTEBOOK(parent->gobj()))
            found.push_back("the text \"" + std::string(static_cast<Gtk::Label&>(widget).get_text()) + "\" gave way");
    }
    if (!widget.get_is_drawable()) return;
    // What the widget asks for includes its margins and a container's border; what it is given
    // does not.
    const auto* bordered = dynamic_cast<Gtk::Container*>(&widget);
    const int border = bordered ? 2 * static_cast<int>(bordered->get_border_width()) : 0;
    const int width = widget.get_allocated_width() + widget.get_margin_start() + widget.get_margin_end() + border;
    const int height = widget.get_allocated_height() + widget.get_margin_top() + widget.get_margin_bottom() + border;
    int minimumWidth = 0, naturalWidth = 0, minimumHeight = 0, naturalHeight = 0;
    widget.get_preferred_width(minimumWidth, naturalWidth);
    widget.get_preferred_height_for_width(std::max(width, minimumWidth), minimumHeight, naturalHeight);
    const std::string name = G_OBJECT_TYPE_NAME(widget.gobj());
    // A viewport shows a part of its content; the scrolled area around it is judged below.
    if (!GTK_IS_VIEWPORT(widget.gobj()) && (width < minimumWidth || height < minimumHeight))
        found.push_back(name + " has " + sizeText(width, height) + ", needs " + sizeText(minimumWidth, minimumHeight));
    if (auto* scroller = dynamic_cast<Gtk::ScrolledWindow*>(&widget); scroller && scroller->get_child()) {
        Gtk::PolicyType horizontal, vertical;
        scroller->get_policy(horizontal, vertical);
        int childWidth = 0, childHeight = 0, unused = 0;
        scroller->get_child()->get_preferred_width(childWidth, unused);
        scroller->get_child()->get_preferred_height_for_width(std::max(width, childWidth), childHeight, unused);
        if ((horizontal == Gtk::POLICY_EXTERNAL && childWidth > width) ||
            (vertical == Gtk::POLICY_EXTERNAL && childHeight > height))
            found.push_back(name + " shows " + sizeText(width, height) + " of " + sizeText(childWidth, childHeight) +
                            " without scrolling");
    }
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) walk(*child, found);
}

}  // namespace

std::vector<std::string> cutOffContent(Gtk::Widget& root) {
    std::vector<std::string> found;
    Gtk::Widget* window = root.get_toplevel();
    walk(*window, found);
    if (auto gdkWindow = window->get_window()) {
        if (auto monitor = window->get_display()->get_monitor_at_window(gdkWindow)) {
            Gdk::Rectangle area, frame;
            monitor->get_workarea(area);
            gdkWindow->get_frame_extents(frame);
            if (frame.get_width() > area.get_width() || frame.get_height() > area.get_height())
                found.push_back("the window is " + sizeText(frame.get_width(), frame.get_height()) +
                                " on a work area of " + sizeText(area.get_width(), area.get_height()));
        }
    }
    return found;
}

TextScaleScope::TextScaleScope(double scale) : saved_(Gtk::Settings::get_default()->property_gtk_xft_dpi()) {
    Gtk::Settings::get_default()->property_gtk_xft_dpi() = static_cast<int>(96 * 1024 * scale);
}

TextScaleScope::~TextScaleScope() {
    Gtk::Settings::get_default()->property_gtk_xft_dpi() = saved_;
}

}  // namespace quenlith::test
