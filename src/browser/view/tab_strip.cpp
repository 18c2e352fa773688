#include "browser/view/tab_strip.hpp"

#include "browser/view/browser_layout.hpp"
#include "model/localization.hpp"

namespace quenlith {

struct TabStrip::Item {
    explicit Item(const std::string& closeText)
        : row(Gtk::ORIENTATION_HORIZONTAL, 0), close("xmark", closeText) {}
    Gtk::Box row;
    Gtk::Button button;
    Gtk::Label label;
    ActionButton close;
};

TabStrip::TabStrip(Scheduler& scheduler)
    : scheduler_(scheduler),
      box_(Gtk::ORIENTATION_HORIZONTAL, 4),
      newTab_("plus", localizedString("New Tab (Ctrl+T)")) {
    box_.get_style_context()->add_class("quenlith-tab-strip");
    box_.set_margin_top(3);
    box_.set_margin_bottom(3);
    box_.set_margin_start(8);
    box_.set_margin_end(8);
    scroll_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_NEVER);
    scroll_.set_overlay_scrolling(true);
    scroll_.set_shadow_type(Gtk::SHADOW_NONE);
    scroll_.set_size_request(-1, ChromeMetrics::tabStripHeight);
    scroll_.add(box_);
    newTab_.onAction = [this] {
        if (onNewTab) onNewTab();
    };
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

void TabStrip::show(std::size_t activeIndex, const std::vector<TabStripEntry>& entries) {
    std::string signature = tabStripSignature(activeIndex, entries);
    if (signature == signature_) return;
    signature_ = std::move(signature);

    // The old buttons may be the ones whose click led here: they are released after the click.
    removeItems();
    for (auto& item : items_) retired_.push_back(std::move(item));
    items_.clear();
    retire_ = scheduler_.scheduleIdle([this] { retired_.clear(); });

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TabStripEntry& entry = entries[i];
        const Uuid id = entry.id;
        auto item = std::make_unique<Item>(localizedFormat("Close %@", {entry.displayTitle}));
        item->label.set_text(tabButtonTitle(entry));
        item->label.set_ellipsize(Pango::ELLIPSIZE_END);
        item->label.set_max_width_chars(1);
        item->label.set_xalign(0);
        item->label.get_style_context()->add_class("quenlith-small");
        item->button.add(item->label);
        item->button.set_size_request(128, -1);
        item->button.set_focus_on_click(false);
        item->button.set_tooltip_text(entry.pageURL.empty() ? localizedString("New Tab") : entry.pageURL);
        item->button.get_style_context()->add_class("quenlith-tab");
        if (i == activeIndex) {
            item->button.get_style_context()->add_class("quenlith-tab-active");
            item->button.set_state_flags(Gtk::STATE_FLAG_CHECKED, false);
        }
        item->button.signal_clicked().connect([this, id] {
            if (onSelect) onSelect(id);
        });
        item->button.signal_button_press_event().connect(
            [this, id](GdkEventButton* event) {
                if (event->type != GDK_BUTTON_PRESS || event->button != 3 || !makeMenu) return false;
                menu_ = makeMenu(id);
                menu_->popup_at_pointer(reinterpret_cast<GdkEvent*>(event));
                return true;
            },
            false);
        item->close.onAction = [this, id] {
            if (onClose) onClose(id);
        };
        item->row.pack_start(item->button, false, false);
        item->row.pack_start(item->close, false, false);
        item->row.show_all();
        box_.pack_start(item->row, false, false);
        items_.push_back(std::move(item));
    }
    box_.pack_start(newTab_, false, false);
    newTab_.show();
}

}  // namespace quenlith
