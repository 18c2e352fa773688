#include "launcher/guide_window.hpp"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/box.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>

#include "launcher/launcher_style.hpp"
#include "model/guide_key_list.hpp"
#include "model/localization.hpp"
#include "model/product_guide.hpp"
#include "ui/form_rows.hpp"
#include "ui/framed_box.hpp"

namespace quenlith {

namespace {

Gtk::Label* wrapped(Gtk::Label* label) {
    label->set_xalign(0);
    label->set_line_wrap(true);
    return label;
}

// Where a line of the key list breaks: at spaces only, never inside a Chinese term or a key.
void holdWordsTogether(Gtk::Label& list) {
    const std::string text = list.get_text();
    Pango::AttrList attributes = list.get_attributes();
    for (const auto& [start, end] : keyListUnbreakableRuns(text)) {
        PangoAttribute* held = pango_attr_allow_breaks_new(FALSE);
        held->start_index = static_cast<guint>(start);
        held->end_index = static_cast<guint>(end);
        pango_attr_list_insert(attributes.gobj(), held);
    }
    list.set_attributes(attributes);
}

Gtk::Widget* section(int number, const GuideSection& guide) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 14));
    auto* badge = makeLabel(std::to_string(number), 14, 700, "quenlith-guide-number");
    badge->set_size_request(30, 30);
    badge->set_valign(Gtk::ALIGN_START);
    row->pack_start(*badge, Gtk::PACK_SHRINK);
    auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
    texts->pack_start(*wrapped(makeLabel(localizedString(guide.title), 14, 700)), Gtk::PACK_SHRINK);
    texts->pack_start(*wrapped(makeLabel(guideText(guide), 13, 400, "quenlith-secondary")), Gtk::PACK_SHRINK);
    row->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);
    return row;
}

}  // namespace

GuideWindow::GuideWindow(std::optional<ContentSize> workArea) {
    installLauncherStyle();
    set_resizable(false);
    const ContentSize size = guideContentSize(workArea);
    auto* scroller = page_ = Gtk::manage(new Gtk::ScrolledWindow());
    scroller->set_can_focus(false);
    scroller->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    auto* content = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 24));
    content->set_border_width(28);
    // The product's name is not translated.
    content->pack_start(*wrapped(makeLabel("Quenlith", 26, 700)), Gtk::PACK_SHRINK);
    content->pack_start(*wrapped(makeLabel(localizedString("Your web, ready beside your work."), 17, 400,
                                           "quenlith-secondary")),
                        Gtk::PACK_SHRINK);
    int number = 0;
    for (const GuideSection& guide : guideSections()) content->pack_start(*section(++number, guide), Gtk::PACK_SHRINK);

    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 10));
    box->pack_start(*wrapped(makeLabel(localizedString("Useful Shortcuts"), 14, 700)), Gtk::PACK_SHRINK);
    shortcuts_ = wrapped(makeLabel(guideKeyList(), 13));
    holdWordsTogether(*shortcuts_);
    // Selected and copied with the pointer; as a keyboard stop it would select all its text and
    // scroll the page to its end.
    makeCopyable(*shortcuts_);
    shortcuts_->set_can_focus(false);
    box->pack_start(*shortcuts_, Gtk::PACK_SHRINK);
    content->pack_start(*box, Gtk::PACK_SHRINK);
    scroller->add(*content);

    // The one keyboard stop, focused when the guide opens; Escape does the same.
    close_.set_label(localizedString("Close"));
    close_.signal_clicked().connect([this] { close(); });
    auto* footer = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 0));
    footer->set_border_width(12);
    footer->pack_end(close_, Gtk::PACK_SHRINK);
    // The page and its Close button together take the guide's size: the page scrolls.
    auto* layout = Gtk::manage(new FramedBox());
    layout->setFrame(size.width, size.height);
    layout->pack_start(*scroller, Gtk::PACK_EXPAND_WIDGET);
    layout->pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    layout->pack_start(*footer, Gtk::PACK_SHRINK);
    add(*layout);
    layout->show_all();
    close_.grab_focus();
    // Each opening starts at the top of the page, with the focus on Close.
    signal_map().connect([this, scroller] {
        scroller->get_vadjustment()->set_value(0);
        close_.grab_focus();
    });
}

GuideWindow::~GuideWindow() = default;

bool GuideWindow::on_key_press_event(GdkEventKey* event) {
    if (event->keyval == GDK_KEY_Escape) {
        close();
        return true;
    }
    // The page scrolls with the keys while Close keeps the focus: a focused page would show no
    // focus ring.
    static const std::pair<guint, GtkScrollType> kScrollKeys[] = {
        {GDK_KEY_Down, GTK_SCROLL_STEP_FORWARD},
        {GDK_KEY_Up, GTK_SCROLL_STEP_BACKWARD},
        {GDK_KEY_Page_Down, GTK_SCROLL_PAGE_FORWARD},
        {GDK_KEY_Page_Up, GTK_SCROLL_PAGE_BACKWARD},
        {GDK_KEY_Home, GTK_SCROLL_START},
        {GDK_KEY_End, GTK_SCROLL_END}};
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    for (const auto& [key, scroll] : kScrollKeys) {
        if (event->keyval != key || modifiers) continue;
        gboolean handled = FALSE;
        g_signal_emit_by_name(page_->gobj(), "scroll-child", scroll, FALSE, &handled);
        return true;
    }
    return Gtk::Window::on_key_press_event(event);
}

}  // namespace quenlith
