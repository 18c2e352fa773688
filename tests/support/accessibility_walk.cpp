#include "support/accessibility_walk.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>

#include <gtk/gtk.h>
#include <gtkmm/container.h>
#include <gtkmm/label.h>

#include "model/isolated_text.hpp"

namespace quenlith::test {

namespace {

struct Control {
    std::string name;
    std::string description;  // role and widget type, for the messages
    std::string shownValue;   // a drop-down's active text
    bool comboBox = false;
};

std::string nameOf(AtkObject* object) {
    const char* name = atk_object_get_name(object);
    std::string text = name ? name : "";
    const auto first = text.find_first_not_of(" \t\n");
    return first == std::string::npos ? std::string() : text;
}

// Whether the name holds the invisible bidirectional controls that isolate a name on screen.
bool hasBidirectionalMarks(const std::string& name) {
    return quenlith::withoutIsolation(name) != name;
}

// The controls on screen in tree order, scrolled out of sight or not, and what is wrong with an
// object on its own; a subtree that is not on screen (a hidden tab, a collapsed section) is not read.
// Answers whether the object or one under it takes the focus.
bool collect(AtkObject* object, std::vector<Control>& controls, std::vector<std::string>& problems) {
    AtkStateSet* states = atk_object_ref_state_set(object);
    GtkWidget* widget =
        GTK_IS_ACCESSIBLE(object) ? gtk_accessible_get_widget(GTK_ACCESSIBLE(object)) : nullptr;
    const bool shown =
        atk_state_set_contains_state(states, ATK_STATE_VISIBLE) &&
        (widget ? gtk_widget_get_mapped(widget) : atk_state_set_contains_state(states, ATK_STATE_SHOWING));
    const bool focusable = atk_state_set_contains_state(states, ATK_STATE_FOCUSABLE);
    g_object_unref(states);
    if (!shown) return false;
    const AtkRole role = atk_object_get_role(object);
    const std::string name = nameOf(object);
    const std::string what = std::string(atk_role_get_name(role)) + " (" +
                             (widget ? G_OBJECT_TYPE_NAME(widget) : G_OBJECT_TYPE_NAME(object)) + ")";
    if (hasBidirectionalMarks(name)) problems.push_back("named with isolation marks: " + what + " \"" + name + "\"");
    // What a screen reader reads in flat review or on a braille display is the text itself (a
    // label's, a list cell's), and a window's title is what scripts and window lists read.
    if (ATK_IS_TEXT(object)) {
        gchar* text = atk_text_get_text(ATK_TEXT(object), 0, -1);
        if (text && hasBidirectionalMarks(text))
            problems.push_back("shows isolation marks: " + what + " \"" + withoutIsolation(text) + "\"");
        g_free(text);
    }
    if (widget && GTK_IS_WINDOW(widget)) {
        const gchar* title = gtk_window_get_title(GTK_WINDOW(widget));
        if (title && hasBidirectionalMarks(title))
            problems.push_back("titled with isolation marks: \"" + withoutIsolation(title) + "\"");
    }
    if (name.ends_with("-symbolic")) problems.push_back("named by its icon: " + what + " \"" + name + "\"");
    if (role == ATK_ROLE_PAGE_TAB_LIST && name.empty()) problems.push_back("no name: " + what);
    if (role == ATK_ROLE_LABEL && focusable) problems.push_back("a label takes the focus: \"" + name + "\"");
    const bool comboBox = role == ATK_ROLE_COMBO_BOX;
    // Labels read their text, as a table's cells read theirs (one that takes the focus is a
    // problem of its own); lists, tab lists and scrolled panes pass the focus on to their items, which
    // carry the names. A split pane's handle takes the focus itself (F8): it is read as a control.
    const bool container = role == ATK_ROLE_SCROLL_PANE || role == ATK_ROLE_PAGE_TAB_LIST ||
                           role == ATK_ROLE_LIST || role == ATK_ROLE_LIST_BOX || role == ATK_ROLE_PANEL ||
                           role == ATK_ROLE_FILLER || role == ATK_ROLE_TABLE_CELL;
    if ((focusable || comboBox) && role != ATK_ROLE_LABEL && !container) {
        Control control{name, what, "", comboBox};
        if (widget && GTK_IS_COMBO_BOX_TEXT(widget)) {
            gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(widget));
            control.shownValue = active ? active : "";
            g_free(active);
        }
        controls.push_back(std::move(control));
        // A drop-down's own menu is not on screen.
        if (comboBox) return true;
    }
    bool focusWithin = false;
    const int count = atk_object_get_n_accessible_children(object);
    for (int index = 0; index < count; ++index) {
        AtkObject* child = atk_object_ref_accessible_child(object, index);
        if (!child) continue;
        focusWithin = collect(child, controls, problems) || focusWithin;
        g_object_unref(child);
    }
    // A scrolled pane takes the focus itself when nothing inside it can (text only): a keyboard
    // stop of its own, heard by its name.
    if (role == ATK_ROLE_SCROLL_PANE && focusable && !focusWithin && name.empty())
        problems.push_back("no name: a scroll pane that takes the focus itself");
    return focusable || focusWithin;
}

std::vector<Control> controlsUnder(Gtk::Widget& root, std::vector<std::string>* problems = nullptr) {
    std::vector<Control> controls;
    std::vector<std::string> found;
    collect(gtk_widget_get_accessible(root.gobj()), controls, found);
    if (problems) *problems = std::move(found);
    return controls;
}

Gdk::RGBA styleColour(GtkWidget* widget, const char* property) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(style, gtk_style_context_get_state(style), property, &colour, nullptr);
    Gdk::RGBA result;
    if (colour) {
        result.set_rgba(colour->red, colour->green, colour->blue, colour->alpha);
        gdk_rgba_free(colour);
    } else {
        result.set_rgba(0, 0, 0, 0);
    }
    return result;
}

double styleOpacity(GtkWidget* widget) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    double opacity = 1;
    gtk_style_context_get(style, gtk_style_context_get_state(style), "opacity", &opacity, nullptr);
    return opacity * gtk_widget_get_opacity(widget);
}

// `top` with `alpha` of it laid over `bottom`.
Gdk::RGBA over(const Gdk::RGBA& top, double alpha, const Gdk::RGBA& bottom) {
    Gdk::RGBA mixed;
    mixed.set_rgba(top.get_red() * alpha + bottom.get_red() * (1 - alpha),
                   top.get_green() * alpha + bottom.get_green() * (1 - alpha),
                   top.get_blue() * alpha + bottom.get_blue() * (1 - alpha), 1);
    return mixed;
}

void collectLabels(Gtk::Widget& widget, std::vector<Gtk::Label*>& labels) {
    if (!widget.get_is_drawable()) return;
    // A control that is off is exempt, and drawn faint on purpose.
    if (!widget.is_sensitive()) return;
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && !label->get_text().empty())
        labels.push_back(label);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) collectLabels(*child, labels);
}

}  // namespace

std::vector<std::string> accessibilityProblems(Gtk::Widget& root) {
    std::vector<std::string> problems;
    const std::vector<Control> controls = controlsUnder(root, &problems);
    std::map<std::string, int> uses;
    for (const Control& control : controls) {
        if (control.name.empty()) {
            problems.push_back("no name: " + control.description);
            continue;
        }
        if (control.comboBox && control.name == control.shownValue)
            problems.push_back("named by its value: " + control.description + " \"" + control.name + "\"");
        ++uses[control.name];
    }
    for (const auto& [name, count] : uses)
        if (count > 1) problems.push_back(std::to_string(count) + " controls named \"" + name + "\"");
    return problems;
}

std::vector<std::string> accessibleControlNames(Gtk::Widget& root) {
    std::vector<std::string> names;
    for (const Control& control : controlsUnder(root)) names.push_back(control.name);
    return names;
}

namespace {

gboolean readChanged(GSignalInvocationHint*, guint count, const GValue* values, gpointer) {
    if (count > 0 && G_VALUE_HOLDS_OBJECT(&values[0]))
        if (auto* object = g_value_get_object(&values[0]); ATK_IS_OBJECT(object)) nameOf(ATK_OBJECT(object));
    return TRUE;
}

}  // namespace

AccessibilityListener::AccessibilityListener()
    : properties_(atk_add_global_event_listener(readChanged, "Atk:AtkObject:property-change")),
      states_(atk_add_global_event_listener(readChanged, "Atk:AtkObject:state-change")) {}

AccessibilityListener::~AccessibilityListener() {
    atk_remove_global_event_listener(properties_);
    atk_remove_global_event_listener(states_);
}

double contrastRatio(const Gdk::RGBA& one, const Gdk::RGBA& other) {
    auto luminance = [](const Gdk::RGBA& colour) {
        auto channel = [](double value) {
            return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.get_red()) + 0.7152 * channel(colour.get_green()) +
               0.0722 * channel(colour.get_blue());
    };
    const double a = luminance(one), b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::vector<TextContrast> labelContrasts(Gtk::Widget& root) {
    std::vector<Gtk::Label*> labels;
    collectLabels(root, labels);
    std::vector<TextContrast> contrasts;
    for (Gtk::Label* label : labels) {
        std::vector<GtkWidget*> chain;
        for (GtkWidget* widget = GTK_WIDGET(label->gobj()); widget; widget = gtk_widget_get_parent(widget))
            chain.push_back(widget);
        std::reverse(chain.begin(), chain.end());
        // The backgrounds from the window down to the label (colours, gradients, images), each
        // drawn over what lies under it, where the middle of the label is.
        GtkWidget* shown = GTK_WIDGET(label->gobj());
        Gdk::RGBA behind;
        behind.set_rgba(1, 1, 1, 1);
        double opacity = 1;
        for (GtkWidget* widget : chain) {
            opacity *= styleOpacity(widget);
            int x = 0, y = 0;
            gtk_widget_translate_coordinates(shown, widget, gtk_widget_get_allocated_width(shown) / 2,
                                             gtk_widget_get_allocated_height(shown) / 2, &x, &y);
            // A label scrolled out of sight lies outside the viewports above it: read their
            // backgrounds at their nearest edge, where they are drawn the same.
            x = std::clamp(x, 0, std::max(0, gtk_widget_get_allocated_width(widget) - 1));
            y = std::clamp(y, 0, std::max(0, gtk_widget_get_allocated_height(widget) - 1));
            cairo_surface_t* pixel = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
            cairo_t* cr = cairo_create(pixel);
            cairo_set_source_rgb(cr, behind.get_red(), behind.get_green(), behind.get_blue());
            cairo_paint(cr);
            cairo_translate(cr, -x, -y);
            gtk_render_background(gtk_widget_get_style_context(widget), cr, 0, 0,
                                  gtk_widget_get_allocated_width(widget),
                                  gtk_widget_get_allocated_height(widget));
            cairo_destroy(cr);
            cairo_surface_flush(pixel);
            const std::uint32_t value =
                *reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(pixel));
            behind.set_rgba(((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0,
                            (value & 0xFF) / 255.0, 1);
            cairo_surface_destroy(pixel);
        }
        const Gdk::RGBA colour = styleColour(GTK_WIDGET(label->gobj()), "color");
        contrasts.push_back(
            {label->get_text(), contrastRatio(over(colour, colour.get_alpha() * opacity, behind), behind)});
    }
    return contrasts;
}

AtkObject* accessibleNamed(AtkObject* object, const std::string& name) {
    if (const char* own = atk_object_get_name(object); own && own == name) return object;
    for (int index = 0; index < atk_object_get_n_accessible_children(object); ++index) {
        AtkObject* child = atk_object_ref_accessible_child(object, index);
        if (!child) continue;
        AtkObject* found = accessibleNamed(child, name);
        g_object_unref(child);
        if (found) return found;
    }
    return nullptr;
}

}  // namespace quenlith::test
