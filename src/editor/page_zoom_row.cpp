#include "editor/page_zoom_row.hpp"

#include <cmath>

#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

PageZoomRow::PageZoomRow(std::function<WebAppProfile&()> draft)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0), draft_(std::move(draft)) {
    zoom_.set_range(kMinimumZoomLevel, kMaximumZoomLevel);
    zoom_.set_increments(0.1, 0.1);
    zoom_.set_draw_value(false);
    zoom_.signal_value_changed().connect([this] {
        if (updating_) return;
        draft_().zoomLevel = std::round(zoom_.get_value() * 10.0) / 10.0;
        if (changed_) changed_();
    });
    percent_.set_size_request(42, -1);
    auto* row = makeLabeledRow(localizedString("Page zoom"), zoom_);
    row->pack_end(percent_, Gtk::PACK_SHRINK);
    pack_start(*row, Gtk::PACK_SHRINK);
}

void PageZoomRow::refresh() {
    updating_ = true;
    const double level = draft_().zoomLevel;
    zoom_.set_value(level);
    percent_.set_text(quenlith::percentText(truncatedPercent(level)));
    updating_ = false;
}

}  // namespace quenlith
