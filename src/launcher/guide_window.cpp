#include "launcher/guide_window.hpp"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/box.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>

#include "launcher/launcher_style.hpp"
#include "model/localization.hpp"
#include "ui/framed_box.hpp"

namespace quenlith {

const std::vector<std::pair<const char*, const char*>>& guideSections() {
    static const std::vector<std::pair<const char*, const char*>> sections{
        {"Websites and Tray",
         "Open a website, then choose Show in Tray at the top of the browser options menu. A checkmark means "
         "this shortcut is enabled. Choose it again to remove the icon while keeping the website saved. You "
         "can "
         "also manage icons in Settings > Websites."},
        {"Running and Hidden",
         "Running lists the actual open tabs. Hide keeps a page alive, including drafts and audio. Close Tab "
         "Completely releases it. A tray icon is a shortcut, not proof that the site is running."},
        {"Page Groups",
         "Save open windows as a named page group, or paste links to create one. Open restores the group; "
         "Hide puts "
         "it away. Across restarts, URLs and layout return, so save website drafts before quitting."},
        {"Bookmarks",
         "Read Later keeps pages with a saved scroll position. Save with Ctrl+Shift+D, continue from Saved "
         "Pages, "
         "then mark finished. Bookmarks keeps your source links and excerpts."},
        {"Quick Open",
         "Press Ctrl+K while Quenlith is active to find an open tab, website, bookmark or page group. Arrow "
         "keys "
         "choose a result and Return opens it. Matching open tabs are reused, including hidden windows."},
        {"Open Multiple Links",
         "Press Ctrl+Shift+O and paste one link per line. Preview and deduplicate them, then open as tabs or "
         "save as "
         "a page group for later. You can also pick from open and saved pages."},
        {"Privacy and Backups",
         "Private Window has a separate temporary cookie session and closes completely. History is opt-in. "
         "Backups "
         "include websites, bookmarks, excerpts and workspaces, but exclude cookies and browsing history. "
         "Keep "
         "exports somewhere you trust."},
        {"Compatibility",
         "Quenlith uses the system WebKit engine. Some sites or sign-in providers may restrict embedded "
         "browsers. "
         "Try Again recreates a failed tab; Open in Default Browser is available when a site still refuses "
         "access. "
         "Changing User-Agent changes the advertised device, not the browser engine."},
        {"Accounts and Website Proxies",
         "New and duplicated windows have independent logins by default. Change the default in General "
         "settings, "
         "or use New Shared Window in the browser\u2019s \u2026 menu. Existing website sessions are kept; "
         "session "
         "and proxy edits apply after restart."},
        {"Recovery and Sleep",
         "Enable full session recovery and choose an idle sleep interval in General settings. Sleeping pages "
         "reload "
         "when opened. Input and active media prevent sleep. Exempt a website in its Advanced settings."},
        {"Compact Mode",
         "Compact mode hides the title bar and the toolbar. Move the pointer onto the thin strip along the "
         "top "
         "of the window to bring them back, or press Ctrl+L to type an address; Hide Controls in the More "
         "options menu puts them away again. Drag the strip to move the window."},
        {"Edge Handles and Application Links",
         "Choose Tuck to Screen Edge, or enable automatic tucking in Window settings and drag to an edge. "
         "Hover "
         "reveals without taking focus. To link a website to an app, choose apps in its settings and enable "
         "application links in General."},
    };
    return sections;
}

namespace {

// The Linux names of the keys (Ctrl+Alt+Shift order); the four lines are one lookup key.
constexpr const char* kShortcutList =
    "Ctrl+K Quick Open \u00B7 Ctrl+Shift+D Read Later \u00B7 Ctrl+Shift+O Multiple links\n"
    "Ctrl+L Address \u00B7 Ctrl+T New tab \u00B7 Ctrl+Shift+T Reopen tab\n"
    "Ctrl+F Find \u00B7 Ctrl+P Print / PDF \u00B7 Ctrl+Alt+L Saved Pages\n"
    "Ctrl+Alt+Shift+N Private window \u00B7 Ctrl+Alt+P Recover mouse control";
// The keys every browser of this desktop has, beside the ones above; also one lookup key.
constexpr const char* kBrowserKeyList =
    "Alt+Left / Alt+Right Back / Forward (also the mouse\u2019s side buttons) \u00B7 F5 Reload\n"
    "Ctrl+Tab / Ctrl+Page Down Next tab \u00B7 Ctrl+Shift+Tab / Ctrl+Page Up Previous tab \u00B7 Esc Close window";

Gtk::Label* wrapped(Gtk::Label* label) {
    label->set_xalign(0);
    label->set_line_wrap(true);
    return label;
}

Gtk::Widget* section(int number, const char* title, const char* text) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 14));
    auto* badge = makeLabel(std::to_string(number), 14, 700, "quenlith-guide-number");
    badge->set_size_request(30, 30);
    badge->set_valign(Gtk::ALIGN_START);
    row->pack_start(*badge, Gtk::PACK_SHRINK);
    auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
    texts->pack_start(*wrapped(makeLabel(localizedString(title), 14, 700)), Gtk::PACK_SHRINK);
    texts->pack_start(*wrapped(makeLabel(localizedString(text), 13, 400, "quenlith-secondary")), Gtk::PACK_SHRINK);
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
    for (const auto& [title, text] : guideSections()) content->pack_start(*section(++number, title, text), Gtk::PACK_SHRINK);

    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 10));
    box->pack_start(*wrapped(makeLabel(localizedString("Useful Shortcuts"), 14, 700)), Gtk::PACK_SHRINK);
    shortcuts_ = wrapped(makeLabel(localizedString(kShortcutList) + "\n" + localizedString(kBrowserKeyList), 13));
    // Selected and copied with the pointer; as a keyboard stop it would select all its text and
    // scroll the page to its end.
    shortcuts_->set_selectable(true);
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
