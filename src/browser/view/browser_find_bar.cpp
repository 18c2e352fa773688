#include "browser/view/browser_find_bar.hpp"

#include <atkmm/object.h>
#include <gdk/gdkkeysyms.h>

#include "model/localization.hpp"

namespace quenlith {

std::string findResultText(bool found, std::string_view query) {
    if (query.empty()) return {};
    return localizedString(found ? "Match Found" : "No Matches");
}

BrowserFindBar::BrowserFindBar()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6),
      previous_("chevron.up", localizedString("Previous Match"), [this] { submit(true); }),
      next_("chevron.down", localizedString("Next Match"), [this] { submit(false); }),
      close_("xmark", localizedString("Close Find"), [this] {
          if (onClose) onClose();
      }) {
    get_style_context()->add_class("quenlith-find-bar");

    input.set_placeholder_text(localizedString("Find in Page"));
    input.get_accessible()->set_name(localizedString("Find in Page"));
    input.set_hexpand(true);
    input.signal_changed().connect([this] {
        if (onFind) onFind(input.get_text(), false);
    });
    input.signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            return handleKey(event->keyval, static_cast<Gdk::ModifierType>(event->state));
        },
        /*after=*/false);

    result.get_style_context()->add_class("dim-label");
    result.get_style_context()->add_class("quenlith-find-result");

    pack_start(input, true, true);
    pack_start(result, false, false);
    pack_start(previous_, false, false);
    pack_start(next_, false, false);
    pack_start(close_, false, false);
    // Insets inside the bar, so that its background spans them and its height stays what the
    // view asks for; the row is centred vertically.
    for (Gtk::Widget* child : get_children()) child->set_valign(Gtk::ALIGN_CENTER);
    input.set_margin_start(10);
    close_.set_margin_end(10);
    show_all_children();
}

void BrowserFindBar::search() {
    if (onFind) onFind(input.get_text(), false);
}

void BrowserFindBar::submit(bool backwards) {
    if (onFind) onFind(input.get_text(), backwards);
}

void BrowserFindBar::showResult(bool found, const std::string& query) {
    result.set_text(findResultText(found, query));
}

bool BrowserFindBar::handleKey(guint keyval, Gdk::ModifierType state) {
    switch (keyval) {
        case GDK_KEY_Escape:
            if (onClose) onClose();
            return true;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: submit((state & Gdk::SHIFT_MASK) == Gdk::SHIFT_MASK); return true;
        default: return false;
    }
}

}  // namespace quenlith
