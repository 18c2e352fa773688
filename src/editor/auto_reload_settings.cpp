#include "editor/auto_reload_settings.hpp"

#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

namespace {
constexpr double kDefaultAutoReloadInterval = 60;
}

AutoReloadSettings::AutoReloadSettings(std::function<WebAppProfile&()> draft)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8),
      draft_(std::move(draft)),
      toggle_(localizedString("Auto reload while visible")) {
    toggle_.signal_toggled().connect([this] {
        if (updating_) return;
        if (toggle_.get_active()) {
            draft_().autoReloadInterval = kDefaultAutoReloadInterval;
            interval_.set_text(decimalText(kDefaultAutoReloadInterval));
        } else {
            draft_().autoReloadInterval.reset();
        }
        written();
    });
    interval_.signal_changed().connect([this] {
        if (updating_) return;
        // The number typed is written; other text stays in the field for Save to refuse.
        if (auto value = parseDecimalText(interval_.get_text().raw())) draft_().autoReloadInterval = *value;
        written();
    });
    pack_start(toggle_, Gtk::PACK_SHRINK);
    intervalBox_.pack_start(*makeLabeledRow(localizedString("Interval in seconds (10 or more)"), interval_),
                            Gtk::PACK_SHRINK);
    intervalBox_.pack_start(*makeCaption(localizedString(
                                "Refreshing can discard unsaved input. Hidden windows pause auto reload.")),
                            Gtk::PACK_SHRINK);
    intervalBox_.set_no_show_all(true);
    pack_start(intervalBox_, Gtk::PACK_SHRINK);
    // The stored interval is shown, not typed: it reports nothing.
    updating_ = true;
    if (auto interval = draft_().autoReloadInterval) interval_.set_text(decimalText(*interval));
    updating_ = false;
}

void AutoReloadSettings::written() {
    if (changed_) changed_();
}

void AutoReloadSettings::refresh() {
    updating_ = true;
    const WebAppProfile& draft = draft_();
    toggle_.set_active(draft.autoReloadInterval.has_value());
    showWhen(intervalBox_, draft.autoReloadInterval.has_value());
    // The field keeps what is typed, even empty or no number, for Save to refuse; it shows 60
    // again only while it is hidden.
    if (!draft.autoReloadInterval) interval_.set_text(decimalText(kDefaultAutoReloadInterval));
    updating_ = false;
}

}  // namespace quenlith
