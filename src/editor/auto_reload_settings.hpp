#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>

#include "model/web_app_profile.hpp"

namespace quenlith {

// Whether a website reloads while visible, and how often. It writes straight into the owner's
// draft; the interval field keeps what is typed (only a number is written), so the owner can refuse
// other text on Save.
class AutoReloadSettings : public Gtk::Box {
public:
    // `draft` is read and written on every change.
    explicit AutoReloadSettings(std::function<WebAppProfile&()> draft);

    // Runs after each write. The owner sets it once it is built: nothing is reported before.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    // Shows the draft again (after it changed elsewhere).
    void refresh();
    // The interval as typed.
    std::string intervalText() const { return interval_.get_text(); }

    Gtk::CheckButton& toggle() { return toggle_; }
    Gtk::Entry& intervalField() { return interval_; }

private:
    void written();

    std::function<WebAppProfile&()> draft_;
    std::function<void()> changed_;
    bool updating_ = false;

    Gtk::CheckButton toggle_;
    Gtk::Box intervalBox_{Gtk::ORIENTATION_VERTICAL, 6};
    Gtk::Entry interval_;
};

}  // namespace quenlith
