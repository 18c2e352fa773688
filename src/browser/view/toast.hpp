#pragma once

#include <string>

#include <gtkmm/box.h>
#include <gtkmm/label.h>

#include "model/scheduler.hpp"
#include "ui/action_button.hpp"

namespace quenlith {

// A short notice over the top of the page (a finished download, a link that could not be handed
// to another program). It hides itself after a few seconds or when closed. Main thread only.
class Toast : public Gtk::Box {
public:
    explicit Toast(Scheduler& timers);

    void show(const std::string& text);
    std::string text() const { return label_.get_text(); }

    static constexpr std::chrono::seconds kShownFor{6};

private:
    Scheduler& timers_;
    Gtk::Label label_;
    ActionButton close_;
    ScheduledTask hide_;
};

}  // namespace quenlith
