#include "browser/view/browser_find_bar.hpp"

#include <atkmm/object.h>
#include <gdk/gdkkeysyms.h>

#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

std::string findResultText(bool found, std::string_view query) {
    if (query.empty()) return {};
    return localizedString(found ? "Match Found" : "No Matches");
}

BrowserFindBar::BrowserFindBar()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6),
      previous_("chevron.up", localizedString("Previous Match"), [this] { submit(true); }),
      next_("chevron.down", localizedString("Next Match"), [this] { submit(false); }),
      close_("xmark", localizedString("Close Find"), [this] { close(); }) {
    get_style_context()->add_class("quenlith-find-bar");

    input_.set_placeholder_text(localizedString("Find in Page"));
    nameControl(input_, localizedString("Find in Page"));
    nameSearchIcon(input_, localizedString("Search"));
    nameClearIcon(input_, localizedString("Clear Search"));
    input_.set_hexpand(true);
    input_.signal_changed().connect([this] {
        if (onFind_) onFind_(input_.get_text(), false);
    });
    input_.signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            return handleKey(event->keyval, static_cast<Gdk::ModifierType>(event->state));
        },
        /*after=*/false);

    styleSecondaryText(result_);
    result_.get_style_context()->add_class("quenlith-find-result");

    pack_start(input_, true, true);
    pack_start(result_, false, false);
    pack_start(previous_, false, false);
    pack_start(next_, false, false);
    pack_start(close_, false, false);
    // Insets inside the bar, so that its background spans them and its height stays what the
    // view asks for; the row is centred vertically.
    for (Gtk::Widget* child : get_children()) child->set_valign(Gtk::ALIGN_CENTER);
    input_.set_margin_start(10);
    close_.set_margin_end(10);
    show_all_children();
}

void BrowserFindBar::search() {
    if (onFind_) onFind_(input_.get_text(), false);
}

void BrowserFindBar::submit(bool backwards) {
    if (onFind_) onFind_(input_.get_text(), backwards);
}

void BrowserFindBar::close() {
    if (onClose_) onClose_();
}

void BrowserFindBar::showResult(bool found, const std::string& query) {
    result_.set_text(findResultText(found, query));
}

bool BrowserFindBar::handleKey(guint keyval, Gdk::ModifierType state) {
    switch (keyval) {
        case GDK_KEY_Escape: close(); return true;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: submit((state & Gdk::SHIFT_MASK) == Gdk::SHIFT_MASK); return true;
        default: return false;
    }
}

}  // namespace quenlith
