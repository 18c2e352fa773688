#include "browser/view/browser_toolbar.hpp"

#include <algorithm>

#include <atkmm/object.h>

#include "browser/view/browser_layout.hpp"
#include "model/localization.hpp"

namespace quenlith {

BrowserToolbar::BrowserToolbar()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 3),
      back("chevron.left", localizedString("Back (Ctrl+[)")),
      forward("chevron.right", localizedString("Forward (Ctrl+])")),
      reload("arrow.clockwise", localizedString("Reload (Ctrl+R)")),
      startPage("square.grid.2x2", localizedString("Start Page")),
      pin("pin.fill", localizedString("Always on Top")),
      more("ellipsis.circle", localizedString("More options")),
      saveWebsite("bookmark", localizedString("Save Website…")),
      start_(Gtk::ORIENTATION_HORIZONTAL, 2),
      end_(Gtk::ORIENTATION_HORIZONTAL, 2) {
    get_style_context()->add_class("quenlith-toolbar");

    address.set_placeholder_text(localizedString("Search or enter website"));
    address.get_accessible()->set_name(localizedString("Address and search"));
    address.set_hexpand(true);
    // The field gives way before the buttons, down to 64 pixels, so that the title bar of the
    // default 480-pixel window still fits every button.
    address.set_width_chars(1);
    address.set_size_request(64, -1);
    address.signal_activate().connect([this] { navigate(); });
    addressChanged_ = address.signal_changed().connect([this] {
        if (!showingAddress_) addressEdited_ = true;
    });
    // In the title bar the field gives the place back to the title once it is left.
    addressFocusOut_ = address.signal_focus_out_event().connect([this](GdkEventFocus*) {
        addressEdited_ = false;
        showTitleOrField();
        return false;
    });

    title_.set_ellipsize(Pango::ELLIPSIZE_END);
    title_.set_width_chars(1);
    title_.get_style_context()->add_class("title");
    titleButton_.add(title_);
    titleButton_.set_relief(Gtk::RELIEF_NONE);
    titleButton_.set_focus_on_click(false);
    titleButton_.set_hexpand(true);
    titleButton_.set_tooltip_text(localizedString("Search or enter website"));
    titleButton_.get_style_context()->add_class("quenlith-title-button");
    titleButton_.signal_clicked().connect([this] { focusAddress(); });
    titleStack_.set_hexpand(true);
    titleStack_.set_valign(Gtk::ALIGN_CENTER);
    titleStack_.add(titleButton_, "title");
    titleStack_.set_transition_type(Gtk::STACK_TRANSITION_TYPE_NONE);
    titleStack_.show_all();
    start_.show();
    end_.show();

    placeIn(nullptr);
}

BrowserToolbar::~BrowserToolbar() {
    addressChanged_.disconnect();
    addressFocusOut_.disconnect();
    unpack();
}

void BrowserToolbar::navigate() {
    // What was typed is handed on: the field shows the page's address from now on.
    addressEdited_ = false;
    if (onNavigate) onNavigate(address.get_text());
}

void BrowserToolbar::showAddress(const std::string& text) {
    if (address.get_text() == text) return;
    showingAddress_ = true;
    address.set_text(text);
    showingAddress_ = false;
}

void BrowserToolbar::unpack() {
    // Taking the focused field out moves the focus away: its handler must not switch the title
    // stack that is being taken apart.
    addressFocusOut_.block();
    for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back, &forward, &reload, &startPage,
                                                                  &address, &saveWebsite, &pin, &more})
        if (Gtk::Container* parent = child->get_parent()) parent->remove(*child);
    if (headerBar_) {
        if (start_.get_parent()) headerBar_->remove(start_);
        if (end_.get_parent()) headerBar_->remove(end_);
        if (headerBar_->get_custom_title() == &titleStack_)
            gtk_header_bar_set_custom_title(headerBar_->gobj(), nullptr);
    }
    addressFocusOut_.unblock();
}

void BrowserToolbar::placeIn(Gtk::HeaderBar* bar) {
    const bool hadFocus = address.is_focus();
    unpack();
    headerBar_ = bar;
    if (!bar) {
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back, &forward, &reload, &startPage,
                                                                      &address, &saveWebsite, &pin, &more}) {
            child->set_valign(Gtk::ALIGN_CENTER);
            const bool grows = child == &address;
            pack_start(*child, grows, grows);
        }
        back.set_margin_start(8);
        more.set_margin_end(8);
    } else {
        back.set_margin_start(0);
        more.set_margin_end(0);
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back, &forward, &reload})
            start_.pack_start(*child, false, false);
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&startPage, &saveWebsite, &pin, &more})
            end_.pack_start(*child, false, false);
        titleStack_.add(address, "address");
        bar->pack_start(start_);
        bar->pack_end(end_);
        bar->set_custom_title(titleStack_);
    }
    for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back, &forward, &reload, &startPage,
                                                                  &address, &saveWebsite, &pin, &more})
        child->show();
    if (hadFocus) focusAddress();
    showTitleOrField();
}

void BrowserToolbar::setTitle(const std::string& title) {
    if (title_.get_text() == title) return;
    title_.set_text(title);
    showTitleOrField();
}

bool BrowserToolbar::titleBarHoldsField() const {
    // The field may be on its way into or out of the title bar: a stack that takes a child out
    // forgets it before it lets go of it, and the focus leaves the field in between.
    if (!headerBar_ || address.get_parent() != &titleStack_) return false;
    const auto children = const_cast<Gtk::Stack&>(titleStack_).get_children();
    return std::find(children.begin(), children.end(), &address) != children.end();
}

void BrowserToolbar::showTitleOrField() {
    if (!titleBarHoldsField() || address.is_focus()) return;
    titleStack_.set_visible_child(title_.get_text().empty() ? static_cast<Gtk::Widget&>(address)
                                                              : static_cast<Gtk::Widget&>(titleButton_));
}

void BrowserToolbar::focusAddress() {
    if (titleBarHoldsField()) titleStack_.set_visible_child(address);
    address.grab_focus();
    address.select_region(0, -1);
}

}  // namespace quenlith
