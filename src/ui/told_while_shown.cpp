#include "ui/told_while_shown.hpp"

#include <gtkmm/widget.h>
#include <sigc++/functors/mem_fun.h>

namespace quenlith {

std::function<bool(const std::optional<std::string>& failure)> toldWhileShown(Gtk::Widget& view) {
    // The slot follows the widget's life: it is emptied when the widget goes.
    sigc::slot<bool()> shown = sigc::mem_fun(view, &Gtk::Widget::get_mapped);
    return [shown](const std::optional<std::string>& failure) { return failure && !shown.empty() && shown(); };
}

}  // namespace quenlith
