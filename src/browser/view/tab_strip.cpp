#include "browser/view/tab_strip.hpp"

#include <algorithm>
#include <cmath>

#include <atkmm/object.h>
#include <gtk/gtk-a11y.h>
#include <gtkmm/adjustment.h>

#include "browser/view/browser_layout.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

constexpr int kIconSize = 16;

// The site's icon at the strip's size, else the generic page symbol.
void showIcon(Gtk::Image& image, const void* icon) {
    if (auto* pixbuf = static_cast<GdkPixbuf*>(const_cast<void*>(icon))) {
        const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
        const double scale = std::min(1.0, static_cast<double>(kIconSize) / std::max(width, height));
        image.set(Glib::wrap(pixbuf, true)
                      ->scale_simple(std::max(1, static_cast<int>(std::lround(width * scale))),
                                     std::max(1, static_cast<int>(std::lround(height * scale))),
                                     Gdk::INTERP_BILINEAR));
        return;
    }
    image.set_from_icon_name(iconNameForSymbol("globe"), Gtk::ICON_SIZE_MENU);
    image.set_pixel_size(kIconSize);
}

// Assistive technologies see the strip as a page-tab list and each tab as a page tab that says
// whether it is the selected one; a plain button reports neither. The tab's button is a GtkButton
// subclass whose accessible adds the role and the state.
constexpr const char* kSelectedKey = "quenlith-tab-selected";
AtkObjectClass* tabAccessibleParent = nullptr;

GType tabAccessibleType() {
    static const GType type = [] {
        GTypeQuery query;
        g_type_query(GTK_TYPE_BUTTON_ACCESSIBLE, &query);
        auto classInit = [](gpointer klass, gpointer) {
            tabAccessibleParent = ATK_OBJECT_CLASS(g_type_class_peek_parent(klass));
            ATK_OBJECT_CLASS(klass)->initialize = [](AtkObject* object, gpointer data) {
                tabAccessibleParent->initialize(object, data);
                object->role = ATK_ROLE_PAGE_TAB;
            };
            ATK_OBJECT_CLASS(klass)->ref_state_set = [](AtkObject* object) {
                AtkStateSet* states = tabAccessibleParent->ref_state_set(object);
                GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
                if (!widget) return states;
                atk_state_set_add_state(states, ATK_STATE_SELECTABLE);
                if (g_object_get_data(G_OBJECT(widget), kSelectedKey))
                    atk_state_set_add_state(states, ATK_STATE_SELECTED);
                return states;
            };
        };
        return g_type_register_static_simple(GTK_TYPE_BUTTON_ACCESSIBLE, "QuenlithTabAccessible",
                                             query.class_size, classInit, query.instance_size, nullptr,
                                             GTypeFlags(0));
    }();
    return type;
}

GType tabButtonType() {
    static const GType type = [] {
        GTypeQuery query;
        g_type_query(GTK_TYPE_BUTTON, &query);
        auto classInit = [](gpointer klass, gpointer) {
            gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), tabAccessibleType());
        };
        return g_type_register_static_simple(GTK_TYPE_BUTTON, "QuenlithTabButton", query.class_size,
                                             classInit, query.instance_size, nullptr, GTypeFlags(0));
    }();
    return type;
}

}  // namespace

// One tab: the select button (icon and title) and the close button, drawn as one tab.
struct TabStrip::Item {
    explicit Item(const std::string& closeText)
        : row(Gtk::ORIENTATION_HORIZONTAL, 0),
          button(*Gtk::manage(Glib::wrap(GTK_BUTTON(g_object_new(tabButtonType(), nullptr))))),
          face(Gtk::ORIENTATION_HORIZONTAL, 6),
          close("xmark", closeText) {}
    Gtk::Box row;
    // Managed: the row it is packed into ends it.
    Gtk::Button& button;
    Gtk::Box face;
    Gtk::Image icon;
    Gtk::Label label;
    ActionButton close;
};

TabStrip::TabStrip(Scheduler& scheduler)
    : scheduler_(scheduler),
      box_(Gtk::ORIENTATION_HORIZONTAL, 4),
      newTab_("plus", localizedString("New Tab (Ctrl+T)")) {
    box_.get_style_context()->add_class("quenlith-tab-strip");
    box_.get_accessible()->set_role(Atk::ROLE_PAGE_TAB_LIST);
    box_.get_accessible()->set_name(localizedString("Tabs"));
    box_.set_margin_top(3);
    box_.set_margin_bottom(3);
    box_.set_margin_start(6);
    box_.set_margin_end(6);
    // Tabs keep their width and the strip scrolls (by wheel, or to follow the selection) when they
    // do not fit; no scroll bar takes room or covers them.
    scroll_.set_policy(Gtk::POLICY_EXTERNAL, Gtk::POLICY_NEVER);
    scroll_.signal_scroll_event().connect(sigc::mem_fun(*this, &TabStrip::wheelTurned), false);
    scroll_.set_shadow_type(Gtk::SHADOW_NONE);
    scroll_.set_size_request(-1, ChromeMetrics::tabStripHeight);
    scroll_.add(box_);
    newTab_.set_valign(Gtk::ALIGN_CENTER);
    newTab_.setOnAction([this] {
        if (onNewTab_) onNewTab_();
    });
    // The selected tab is kept in sight whenever the strip's size or content changes.
    box_.signal_size_allocate().connect([this](Gtk::Allocation&) { keepActiveInSight(); });
    scroll_.signal_size_allocate().connect([this](Gtk::Allocation&) { keepActiveInSight(); });
}

TabStrip::~TabStrip() {
    clear();
}

void TabStrip::removeItems() {
    for (auto& item : items_) box_.remove(item->row);
    if (newTab_.get_parent()) box_.remove(newTab_);
}

void TabStrip::clear() {
    removeItems();
    items_.clear();
    retired_.clear();
    retire_.cancel();
    signature_.clear();
}

void TabStrip::keepActiveInSight() {
    // Laid out again at the same widths (a tab restyled under the pointer), the strip stays where
    // the wheel left it.
    const std::pair<int, int> widths{scroll_.get_allocated_width(), box_.get_allocated_width()};
    if (widths != laidOutWidths_) {
        laidOutWidths_ = widths;
        followActive_ = true;
    }
    if (followActive_ && scrollToActive()) followActive_ = false;
}

bool TabStrip::scrollToActive() {
    if (activeIndex_ >= items_.size()) return false;
    auto adjustment = scroll_.get_hadjustment();
    const Gtk::Allocation tab = items_[activeIndex_]->row.get_allocation();
    const Gtk::Allocation strip = box_.get_allocation();
    if (tab.get_width() <= 1) return false;  // not laid out yet
    // Offsets inside the scrolled content; the new-tab button follows the last tab into view.
    const double left = tab.get_x() - strip.get_x() - box_.get_margin_start();
    double right = tab.get_x() - strip.get_x() + tab.get_width() + box_.get_margin_end();
    if (activeIndex_ + 1 == items_.size() && newTab_.get_parent())
        right = newTab_.get_allocation().get_x() - strip.get_x() + newTab_.get_allocated_width() +
                box_.get_margin_end();
    const double page = adjustment->get_page_size();
    double value = adjustment->get_value();
    if (right > value + page) value = right - page;
    if (left < value) value = left;
    value = std::clamp(value, adjustment->get_lower(), std::max(adjustment->get_lower(),
                                                                adjustment->get_upper() - page));
    if (value != adjustment->get_value()) adjustment->set_value(value);
    return true;
}

bool TabStrip::wheelTurned(GdkEventScroll* event) {
    // The strip only scrolls sideways: every turn of the wheel, up and down as well as a tilt or a
    // touchpad's smooth deltas, moves it along the tabs.
    double steps = 0;
    switch (event->direction) {
        case GDK_SCROLL_UP:
        case GDK_SCROLL_LEFT: steps = -1; break;
        case GDK_SCROLL_DOWN:
        case GDK_SCROLL_RIGHT: steps = 1; break;
        case GDK_SCROLL_SMOOTH: steps = event->delta_x + event->delta_y; break;
    }
    auto adjustment = scroll_.get_hadjustment();
    const double page = adjustment->get_page_size();
    if (steps == 0 || adjustment->get_upper() - adjustment->get_lower() <= page) return false;
    // One step moves as far as one of the toolkit's scroll bars moves with a wheel step.
    const double value = adjustment->get_value() + steps * std::pow(page, 2.0 / 3.0);
    adjustment->set_value(std::clamp(value, adjustment->get_lower(), adjustment->get_upper() - page));
    return true;
}

void TabStrip::show(std::size_t activeIndex, const std::vector<TabStripEntry>& entries) {
    std::string signature = tabStripSignature(activeIndex, entries);
    if (signature == signature_) return;
    signature_ = std::move(signature);
    activeIndex_ = activeIndex;
    followActive_ = true;

    // The old buttons may be the ones whose click led here: they are released after the click.
    removeItems();
    for (auto& item : items_) retired_.push_back(std::move(item));
    items_.clear();
    retire_ = scheduler_.scheduleIdle([this] { retired_.clear(); });

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TabStripEntry& entry = entries[i];
        const Uuid id = entry.id;
        auto item = std::make_unique<Item>(
            localizedFormat("Close %@", {shownName(entry.displayTitle, kShownTitleCharacters)}));
        showIcon(item->icon, entry.icon);
        showText(item->label, tabButtonTitle(entry));
        item->label.set_ellipsize(Pango::ELLIPSIZE_END);
        item->label.set_max_width_chars(1);
        item->label.set_xalign(0);
        item->label.get_style_context()->add_class("quenlith-small");
        item->face.pack_start(item->icon, false, false);
        item->face.pack_start(item->label, true, true);
        item->button.add(item->face);
        item->button.set_relief(Gtk::RELIEF_NONE);
        item->button.set_focus_on_click(false);
        item->button.set_tooltip_text(entry.pageURL.empty() ? localizedString("New Tab") : entry.pageURL);
        item->row.get_style_context()->add_class("quenlith-tab");
        item->button.set_size_request(ChromeMetrics::tabButtonWidth, -1);
        nameControl(item->button, entry.displayTitle);
        if (i == activeIndex) {
            item->row.get_style_context()->add_class("quenlith-tab-active");
            g_object_set_data(G_OBJECT(item->button.gobj()), kSelectedKey, GINT_TO_POINTER(1));
        }
        item->button.signal_clicked().connect([this, id] {
            if (onSelect_) onSelect_(id);
        });
        item->button.signal_button_press_event().connect(
            [this, id](GdkEventButton* event) {
                if (event->type != GDK_BUTTON_PRESS || event->button != 3 || !makeMenu_) return false;
                menu_ = makeMenu_(id);
                menu_->popup_at_pointer(reinterpret_cast<GdkEvent*>(event));
                return true;
            },
            false);
        item->close.get_style_context()->add_class("quenlith-tab-close");
        item->close.set_valign(Gtk::ALIGN_CENTER);
        item->close.setOnAction([this, id] {
            if (onClose_) onClose_(id);
        });
        item->row.pack_start(item->button, false, false);
        item->row.pack_start(item->close, false, false);
        item->row.show_all();
        box_.pack_start(item->row, false, false);
        items_.push_back(std::move(item));
    }
    box_.pack_start(newTab_, false, false);
    newTab_.show();
    box_.queue_resize();
}

}  // namespace quenlith
