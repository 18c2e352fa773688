#include "browser/view/browser_toolbar.hpp"

#include <algorithm>

#include <atkmm/object.h>

#include "browser/view/browser_layout.hpp"
#include "model/localization.hpp"
#include "model/more_menu.hpp"
#include "ui/form_rows.hpp"
#include "ui/shown_keys.hpp"

namespace quenlith {

namespace {

// The title keeps at least this width beside the lesser buttons; with less room they go into the
// More menu (in the 480-pixel default window the title then has about 210 pixels).
constexpr int kTitleRoom = 240;

}  // namespace

BrowserToolbar::TitleArea::TitleArea(BrowserToolbar& owner)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 2), owner_(owner) {}

void BrowserToolbar::TitleArea::get_preferred_width_vfunc(int& minimum, int& natural) const {
    Gtk::Box::get_preferred_width_vfunc(minimum, natural);
    int stackNatural = 0;
    owner_.titleStack_.get_preferred_width(minimum, stackNatural);
}

void BrowserToolbar::TitleArea::get_preferred_width_for_height_vfunc(int height, int& minimum,
                                                                     int& natural) const {
    Gtk::Box::get_preferred_width_for_height_vfunc(height, minimum, natural);
    int stackNatural = 0;
    owner_.titleStack_.get_preferred_width_for_height(height, minimum, stackNatural);
}

void BrowserToolbar::TitleArea::on_size_allocate(Gtk::Allocation& allocation) {
    // The header bar gives the title all the room between its sides, whatever it asks for: the
    // choice below changes nothing of that width, so it cannot swing back and forth.
    int lesserMinimum = 0, lesserNatural = 0;
    owner_.lesser_.get_preferred_width(lesserMinimum, lesserNatural);
    const bool hide = allocation.get_width() - lesserNatural - get_spacing() < kTitleRoom;
    if (hide != owner_.lesserHidden_) {
        owner_.lesserHidden_ = hide;
        owner_.lesser_.set_visible(!hide);
    }
    Gtk::Box::on_size_allocate(allocation);
}

BrowserToolbar::BrowserToolbar()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 3),
      // The keys as the main menu shows them.
      back_("chevron.left", localizedFormat("Back (%@)", {shownBrowserKeys().back})),
      forward_("chevron.right", localizedFormat("Forward (%@)", {shownBrowserKeys().forward})),
      reload_("arrow.clockwise", localizedString("Reload (Ctrl+R)")),
      startPage_("square.grid.2x2", localizedString("Start Page")),
      pin_("pin.fill", localizedString("Always on Top")),
      more_("ellipsis.circle", localizedString(kMoreOptionsLabel)),
      saveWebsite_("bookmark", localizedString("Save Website…")),
      start_(Gtk::ORIENTATION_HORIZONTAL, 2),
      end_(Gtk::ORIENTATION_HORIZONTAL, 2),
      lesser_(Gtk::ORIENTATION_HORIZONTAL, 2),
      titleArea_(*this),
      titleLines_(Gtk::ORIENTATION_VERTICAL, 0) {
    get_style_context()->add_class("quenlith-toolbar");

    address_.set_placeholder_text(localizedString("Search or enter website"));
    address_.get_accessible()->set_name(localizedString("Address and search"));
    address_.set_hexpand(true);
    // The field gives way before the buttons, down to 64 pixels, so that the title bar of the
    // narrowest window still fits every button it keeps.
    address_.set_width_chars(1);
    address_.set_size_request(64, -1);
    address_.signal_activate().connect([this] { navigate(); });
    addressChanged_ = address_.signal_changed().connect([this] {
        if (!showingAddress_) addressEdited_ = true;
    });
    // In the title bar the field gives the place back to the title once it is left.
    addressFocusOut_ = address_.signal_focus_out_event().connect([this](GdkEventFocus*) {
        showTitleOrField();
        return false;
    });
    // Only leaving the field ends an edit: the window losing the focus to another one keeps it. The
    // title comes back also when the focus moves on in a window that is not active (no focus-out).
    addressLeft_ = address_.property_is_focus().signal_changed().connect([this] {
        if (address_.is_focus()) return;
        addressEdited_ = false;
        showTitleOrField();
    });

    // Title over address, as a title bar's title and subtitle: the host is readable without a click.
    title_.set_ellipsize(Pango::ELLIPSIZE_END);
    title_.set_width_chars(1);
    title_.get_style_context()->add_class("title");
    subtitle_.set_ellipsize(Pango::ELLIPSIZE_END);
    subtitle_.set_width_chars(1);
    subtitle_.get_style_context()->add_class("subtitle");
    styleSecondaryText(subtitle_);
    titleLines_.pack_start(title_, false, false);
    titleLines_.pack_start(subtitle_, false, false);
    titleLines_.set_valign(Gtk::ALIGN_CENTER);
    titleButton_.add(titleLines_);
    titleButton_.set_relief(Gtk::RELIEF_NONE);
    titleButton_.set_focus_on_click(false);
    // As wide as the title: the title bar beside it still moves the window and maximises it on a
    // double click (there is no maximise button).
    titleButton_.set_halign(Gtk::ALIGN_CENTER);
    titleButton_.set_tooltip_text(localizedString("Search or enter website"));
    titleButton_.get_style_context()->add_class("quenlith-title-button");
    titleButton_.signal_clicked().connect([this] { focusAddress(); });
    titleStack_.set_hexpand(true);
    titleStack_.set_valign(Gtk::ALIGN_CENTER);
    titleStack_.add(titleButton_, "title");
    titleStack_.set_transition_type(Gtk::STACK_TRANSITION_TYPE_NONE);
    titleStack_.show_all();
    titleArea_.pack_start(titleStack_, true, true);
    titleArea_.pack_start(lesser_, false, false);
    titleArea_.set_hexpand(true);
    titleArea_.show();
    start_.show();
    end_.show();
    lesser_.show();

    placeIn(nullptr);
}

BrowserToolbar::~BrowserToolbar() {
    addressChanged_.disconnect();
    addressFocusOut_.disconnect();
    addressLeft_.disconnect();
    unpack();
    // The title area asks the stack for its size: they part before either goes.
    titleArea_.remove(titleStack_);
    titleArea_.remove(lesser_);
}

void BrowserToolbar::navigate() {
    // What was typed is handed on: the field shows the page's address from now on.
    addressEdited_ = false;
    if (onNavigate_) onNavigate_(address_.get_text());
}

void BrowserToolbar::showAddress(const std::string& text) {
    if (address_.get_text() == text) return;
    showingAddress_ = true;
    address_.set_text(text);
    showingAddress_ = false;
}

void BrowserToolbar::unpack() {
    // Taking the focused field out moves the focus away: its handler must not switch the title
    // stack that is being taken apart.
    addressFocusOut_.block();
    for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back_, &forward_, &reload_, &startPage_,
                                                                  &address_, &saveWebsite_, &pin_, &more_})
        if (Gtk::Container* parent = child->get_parent()) parent->remove(*child);
    if (headerBar_) {
        if (start_.get_parent()) headerBar_->remove(start_);
        if (end_.get_parent()) headerBar_->remove(end_);
        if (headerBar_->get_custom_title() == &titleArea_)
            gtk_header_bar_set_custom_title(headerBar_->gobj(), nullptr);
    }
    addressFocusOut_.unblock();
}

void BrowserToolbar::placeIn(Gtk::HeaderBar* bar) {
    const bool hadFocus = address_.is_focus();
    unpack();
    headerBar_ = bar;
    if (!bar) {
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{
                 &back_, &forward_, &reload_, &startPage_, &address_, &saveWebsite_, &pin_, &more_}) {
            child->set_valign(Gtk::ALIGN_CENTER);
            const bool grows = child == &address_;
            pack_start(*child, grows, grows);
        }
        back_.set_margin_start(8);
        more_.set_margin_end(8);
    } else {
        back_.set_margin_start(0);
        more_.set_margin_end(0);
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back_, &forward_, &reload_})
            start_.pack_start(*child, false, false);
        // The main-menu button, packed first, stays first.
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&startPage_, &saveWebsite_})
            lesser_.pack_start(*child, false, false);
        for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&pin_, &more_})
            end_.pack_start(*child, false, false);
        titleStack_.add(address_, "address");
        bar->pack_start(start_);
        bar->pack_end(end_);
        bar->set_custom_title(titleArea_);
    }
    for (Gtk::Widget* child : std::initializer_list<Gtk::Widget*>{&back_, &forward_, &reload_, &startPage_,
                                                                  &address_, &saveWebsite_, &pin_, &more_})
        child->show();
    if (hadFocus) focusAddress();
    showTitleOrField();
}

void BrowserToolbar::setMainMenuButton(Gtk::MenuButton& button, std::function<void(bool)> onShown) {
    if (mainMenuButton_) lesser_.remove(*mainMenuButton_);
    mainMenuButton_ = &button;
    mainMenuShown_ = std::move(onShown);
    lesser_.pack_start(button, false, false);
    lesser_.reorder_child(button, 0);
    button.set_valign(Gtk::ALIGN_CENTER);
    button.show();
}

void BrowserToolbar::mainMenuOpening() const {
    if (mainMenuShown_) mainMenuShown_(true);
}

void BrowserToolbar::mainMenuClosed() const {
    if (mainMenuShown_) mainMenuShown_(false);
}

void BrowserToolbar::setTitle(const std::string& title, const std::string& pageAddress) {
    // The line under the title follows the page even while the field is being edited.
    const std::string shown = titleBarAddress(pageAddress);
    if (subtitle_.get_text() != shown) subtitle_.set_text(shown);
    if (title_.get_text() == title) return;
    showText(title_, title);
    // The button reads as the title it shows, not as the labels inside it.
    nameControl(titleButton_, title);
    showTitleOrField();
}

bool BrowserToolbar::titleBarHoldsField() const {
    // The field may be on its way into or out of the title bar: a stack that takes a child out
    // forgets it before it lets go of it, and the focus leaves the field in between.
    if (!headerBar_ || address_.get_parent() != &titleStack_) return false;
    const auto children = const_cast<Gtk::Stack&>(titleStack_).get_children();
    return std::find(children.begin(), children.end(), &address_) != children.end();
}

void BrowserToolbar::showTitleOrField() {
    if (!titleBarHoldsField() || address_.is_focus()) return;
    titleStack_.set_visible_child(title_.get_text().empty() ? static_cast<Gtk::Widget&>(address_)
                                                            : static_cast<Gtk::Widget&>(titleButton_));
}

void BrowserToolbar::focusAddress() {
    if (titleBarHoldsField()) titleStack_.set_visible_child(address_);
    address_.grab_focus();
    address_.select_region(0, -1);
}

}  // namespace quenlith
