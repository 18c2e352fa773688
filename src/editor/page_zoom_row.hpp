#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/scale.h>

#include "model/web_app_profile.hpp"

namespace quenlith {

// A website's page zoom: a slider in steps of 10 % with the percentage beside it. It writes
// straight into the owner's draft.
class PageZoomRow : public Gtk::Box {
public:
    // `draft` is read and written on every change.
    explicit PageZoomRow(std::function<WebAppProfile&()> draft);

    // Runs after each write. The owner sets it once it is built: nothing is reported before.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    // Shows the draft again (after it changed elsewhere).
    void refresh();
    std::string percentText() const { return percent_.get_text(); }
    Gtk::Scale& slider() { return zoom_; }

private:
    std::function<WebAppProfile&()> draft_;
    std::function<void()> changed_;
    bool updating_ = false;

    Gtk::Scale zoom_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Label percent_;
};

}  // namespace quenlith
