#include "browser/view/toast.hpp"

#include "model/localization.hpp"

namespace quenlith {

Toast::Toast(Scheduler& timers)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6), timers_(timers), close_("xmark", localizedString("Close")) {
    get_style_context()->add_class("app-notification");
    set_halign(Gtk::ALIGN_CENTER);
    set_valign(Gtk::ALIGN_START);
    label_.set_line_wrap(true);
    label_.set_max_width_chars(40);
    label_.set_xalign(0);
    close_.setOnAction([this] {
        hide_.cancel();
        hide();
    });
    pack_start(label_, true, true);
    pack_start(close_, false, false);
    show_all_children();
    set_no_show_all(true);
    hide();
}

void Toast::show(const std::string& text) {
    label_.set_text(text);
    Gtk::Box::show();
    hide_ = timers_.schedule(kShownFor, [this] { hide(); });
}

}  // namespace quenlith
