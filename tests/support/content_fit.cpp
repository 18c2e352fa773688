#include "support/content_fit.hpp"

#include <gdkmm/monitor.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>
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

std::string rectangleText(const Gdk::Rectangle& area) {
    return sizeText(area.get_width(), area.get_height()) + " at " + std::to_string(area.get_x()) + ", " +
           std::to_string(area.get_y());
}

// `area`, given in the coordinates of `widget`, in those of its toplevel.
Gdk::Rectangle inToplevel(Gtk::Widget& widget, const Gdk::Rectangle& area) {
    int x = 0, y = 0;
    widget.translate_coordinates(*widget.get_toplevel(), area.get_x(), area.get_y(), x, y);
    return Gdk::Rectangle(x, y, area.get_width(), area.get_height());
}

Gdk::Rectangle allocationInToplevel(Gtk::Widget& widget) {
    return inToplevel(widget, Gdk::Rectangle(0, 0, widget.get_allocated_width(), widget.get_allocated_height()));
}

bool contains(const Gdk::Rectangle& outer, const Gdk::Rectangle& inner) {
    return inner.get_x() >= outer.get_x() && inner.get_y() >= outer.get_y() &&
           inner.get_x() + inner.get_width() <= outer.get_x() + outer.get_width() &&
           inner.get_y() + inner.get_height() <= outer.get_y() + outer.get_height();
}

// What hides `area` (of `name`, in toplevel coordinates) that lies in `widget`: an ancestor showing
// less of it, or a drawn child of an overlay on the way up that is laid over it.
void hidersOf(Gtk::Widget& widget, const Gdk::Rectangle& area, const std::string& name,
              std::vector<std::string>& found) {
    Gtk::Widget* child = &widget;
    for (Gtk::Widget* ancestor = &widget; ancestor; child = ancestor, ancestor = ancestor->get_parent()) {
        const Gdk::Rectangle shown = allocationInToplevel(*ancestor);
        if (!contains(shown, area))
            found.push_back(name + " (" + rectangleText(area) + ") reaches out of " +
                            G_OBJECT_TYPE_NAME(ancestor->gobj()) + " (" + rectangleText(shown) + ")");
        if (!GTK_IS_OVERLAY(ancestor->gobj())) continue;
        // An overlay draws its main child first, then its overlays in order: each over those before.
        bool above = false;
        for (Gtk::Widget* sibling : static_cast<Gtk::Container*>(ancestor)->get_children()) {
            if (above && sibling->get_is_drawable()) {
                Gdk::Rectangle over = allocationInToplevel(*sibling);
                bool intersects = false;
                over.intersect(area, intersects);
                if (intersects)
                    found.push_back(name + " (" + rectangleText(area) + ") lies under " +
                                    G_OBJECT_TYPE_NAME(sibling->gobj()) + " (" +
                                    rectangleText(allocationInToplevel(*sibling)) + ")");
            }
            above = above || sibling == child;
        }
    }
}

void labelsUnder(Gtk::Widget& widget, std::vector<Gtk::Label*>& labels) {
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget)) labels.push_back(label);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            if (child->get_visible()) labelsUnder(*child, labels);
}

}  // namespace

std::vector<std::string> hiddenParts(Gtk::Widget& widget) {
    std::vector<std::string> found;
    const std::string name = G_OBJECT_TYPE_NAME(widget.gobj());
    if (!widget.get_is_drawable()) return {name + " is not drawn"};
    hidersOf(widget, allocationInToplevel(widget), name, found);
    std::vector<Gtk::Label*> labels;
    labelsUnder(widget, labels);
    for (Gtk::Label* label : labels) {
        const std::string text = "the text \"" + label->get_text() + "\"";
        auto layout = label->get_layout();
        if (layout->is_ellipsized()) found.push_back(text + " is cut short");
        Pango::Rectangle ink, logical;
        layout->get_pixel_extents(ink, logical);
        // Where the label draws its layout, in the coordinates its allocation is given in.
        int x = 0, y = 0;
        label->get_layout_offsets(x, y);
        const Gtk::Allocation allocation = label->get_allocation();
        const Gdk::Rectangle extent(x - allocation.get_x() + logical.get_x(), y - allocation.get_y() + logical.get_y(),
                                    logical.get_width(), logical.get_height());
        hidersOf(*label, inToplevel(*label, extent), text, found);
    }
    return found;
}

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
