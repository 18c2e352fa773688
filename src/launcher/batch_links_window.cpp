#include "launcher/batch_links_window.hpp"

#include <gdk/gdkkeysyms.h>
#include <atkmm/object.h>
#include <gtkmm/image.h>

#include "launcher/launcher_style.hpp"
#include "launcher/main_work_area.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/form_rows.hpp"
#include "ui/framed_box.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

// A wrapping text asks for no more width than the window's own: a long line, as some
// translations have, wraps instead of widening the window.
void wrapWithinWindow(Gtk::Label& label) {
    label.set_line_wrap(true);
    label.set_max_width_chars(1);
}

void styleNote(Gtk::Label& label, const char* styleClass) {
    label.set_xalign(0);
    wrapWithinWindow(label);
    label.set_no_show_all(true);
    label.get_style_context()->add_class(styleClass);
    Pango::AttrList attributes;
    auto size = Pango::Attribute::create_attr_size(static_cast<int>(11 * kPointsPerPixel * PANGO_SCALE));
    attributes.insert(size);
    label.set_attributes(attributes);
}

void showText(Gtk::Label& label, bool shown, const std::string& text = {}) {
    if (shown && !text.empty()) label.set_text(text);
    label.set_visible(shown);
}

}  // namespace

BatchLinksWindow::BatchLinksWindow(const std::string& input, BatchAction action, Links links,
                                   std::optional<ContentSize> workArea)
    : links_(std::move(links)), action_(action) {
    installLauncherStyle();
    set_resizable(false);
    content_.set_margin_top(24);
    content_.set_margin_start(24);
    content_.set_margin_end(24);
    content_.set_margin_bottom(16);

    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    auto* icon = Gtk::manage(new Gtk::Image());
    installApplicationIcons();
    icon->set_from_icon_name(iconNameForSymbol("link.badge.plus"), Gtk::ICON_SIZE_LARGE_TOOLBAR);
    header->pack_start(*icon, Gtk::PACK_SHRINK);
    header->pack_start(*makeLabel(localizedString("Open Multiple Links"), 20, 600), Gtk::PACK_SHRINK);
    content_.pack_start(*header, Gtk::PACK_SHRINK);
    auto* intro = makeLabel(
        localizedString("Paste one website per line. Preview first, then open together or save for next time."), 13,
        400, "quenlith-secondary");
    intro->set_xalign(0);
    wrapWithinWindow(*intro);
    content_.pack_start(*intro, Gtk::PACK_SHRINK);

    // The action picker: two linked toggles, one per action in case order.
    auto* picker = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 0));
    picker->get_style_context()->add_class("linked");
    picker->get_accessible()->set_name(localizedString("Action"));
    groupChoice_.join_group(tabsChoice_);
    for (auto [choice, value] : {std::pair{&tabsChoice_, BatchAction::tabs}, std::pair{&groupChoice_, BatchAction::group}}) {
        choice->set_label(localizedString(rawValue(value)));
        choice->set_mode(false);
        choice->set_active(value == action_);
        choice->signal_toggled().connect([this, choice = choice, value = value] {
            if (choice->get_active()) setAction(value);
        });
        picker->pack_start(*choice, Gtk::PACK_EXPAND_WIDGET);
    }
    content_.pack_start(*picker, Gtk::PACK_SHRINK);

    titleByPlaceholder(name_, localizedString("Page Group Name"));
    name_.set_no_show_all(true);
    name_.set_activates_default(true);
    name_.signal_changed().connect([this] { update(); });
    content_.pack_start(name_, Gtk::PACK_SHRINK);

    if (!links_.suggestions.empty()) {
        suggestionsButton_.set_label(localizedString("Add an Open or Saved Page"));
        for (const auto& suggestion : links_.suggestions) {
            auto* item = Gtk::manage(new Gtk::MenuItem(suggestionLabel(suggestion)));
            item->signal_activate().connect([this, suggestion] { setInput(appendingSuggestion(this->input(), suggestion)); });
            suggestionsMenu_.append(*item);
            suggestionItems_.push_back(item);
        }
        suggestionsMenu_.show_all();
        suggestionsButton_.set_popup(suggestionsMenu_);
        auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL));
        row->pack_end(suggestionsButton_, Gtk::PACK_SHRINK);
        content_.pack_start(*row, Gtk::PACK_SHRINK);
    }

    editor_.set_monospace(true);
    editor_.set_left_margin(6);
    editor_.set_right_margin(6);
    editor_.set_top_margin(6);
    editor_.set_bottom_margin(6);
    editor_.set_wrap_mode(Gtk::WRAP_CHAR);
    editor_.get_accessible()->set_name(localizedString("Website links, one per line"));
    editor_.get_buffer()->set_text(input);
    editor_.get_buffer()->signal_changed().connect([this] { update(); });
    auto* editorFrame = Gtk::manage(new Gtk::ScrolledWindow());
    editorFrame->set_shadow_type(Gtk::SHADOW_IN);
    editorFrame->set_size_request(-1, 110);
    editorFrame->add(editor_);
    content_.pack_start(*editorFrame, Gtk::PACK_SHRINK);

    auto* counts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL));
    summary_.set_xalign(0);
    counts->pack_start(summary_, Gtk::PACK_SHRINK);
    counts->pack_end(*makeLabel(localizedString("Up to 20 links"), 11, 400, "quenlith-secondary"), Gtk::PACK_SHRINK);
    content_.pack_start(*counts, Gtk::PACK_SHRINK);

    preview_.set_border_width(12);
    previewScroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    // A few rows stay in sight where the whole form has to scroll.
    previewScroller_.set_min_content_height(60);
    previewScroller_.set_shadow_type(Gtk::SHADOW_IN);
    previewScroller_.add(preview_);
    // Its rows take no focus: the pane takes it itself, so that its rows can be scrolled to.
    nameControl(previewScroller_, localizedString("Preview"));
    content_.pack_start(previewScroller_, Gtk::PACK_EXPAND_WIDGET);

    styleNote(invalid_, "quenlith-warning");
    styleNote(tooMany_, "quenlith-error");
    styleNote(tabsNote_, "quenlith-secondary");
    styleNote(groupNote_, "quenlith-secondary");
    styleNote(error_, "quenlith-error");
    tooMany_.set_text(localizedString("Too many links. Reduce the input to at most 20 unique websites."));
    tabsNote_.set_text(localizedString("Reuses matching regular tabs across Quenlith, so you do not lose their "
                                       "drafts. New links open in the browser window."));
    groupNote_.set_text(localizedString("Saves these links without opening them. Sign-in and sensitive links cannot "
                                        "be saved in a page group."));
    for (Gtk::Label* label : {&invalid_, &tooMany_, &tabsNote_, &groupNote_, &error_})
        notes_.pack_start(*label, Gtk::PACK_SHRINK);
    content_.pack_start(notes_, Gtk::PACK_SHRINK);

    auto* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL));
    cancel_.set_label(localizedString("Cancel"));
    cancel_.signal_clicked().connect([this] {
        if (links_.onCancel) links_.onCancel();
    });
    perform_.get_style_context()->add_class("suggested-action");
    perform_.set_can_default(true);
    perform_.signal_clicked().connect([this] { perform(); });
    // It bears the chosen action's name, as the choice above does: told apart as what carries it out.
    perform_.get_accessible()->set_description(localizedString("Carries out the chosen action"));
    buttons->pack_start(cancel_, Gtk::PACK_SHRINK);
    buttons->pack_end(perform_, Gtk::PACK_SHRINK);
    buttons->set_margin_start(24);
    buttons->set_margin_end(24);
    buttons->set_margin_bottom(24);
    // The window takes the size its rule gives for the work area, however tall the form: the form
    // scrolls above the buttons, which stay in sight.
    const ContentSize size = batchLinksContentSize(workArea);
    auto* frame = Gtk::manage(new FramedBox());
    frame->setFrame(size.width, size.height);
    formScroller_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    formScroller_.set_shadow_type(Gtk::SHADOW_NONE);
    formScroller_.add(content_);
    keepFocusInView(formScroller_);
    frame->pack_start(formScroller_, Gtk::PACK_EXPAND_WIDGET);
    frame->pack_start(*buttons, Gtk::PACK_SHRINK);
    add(*frame);
    frame->show_all();
    set_default(perform_);
    signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval != GDK_KEY_Escape) return false;
            if (links_.onCancel) links_.onCancel();
            return true;
        },
        false);
    update();
    editor_.grab_focus();
}

std::string BatchLinksWindow::input() const { return editor_.get_buffer()->get_text(); }

void BatchLinksWindow::setInput(const std::string& text) { editor_.get_buffer()->set_text(text); }

void BatchLinksWindow::setAction(BatchAction action) {
    action_ = action;
    (action == BatchAction::tabs ? tabsChoice_ : groupChoice_).set_active(true);
    update();
}

void BatchLinksWindow::update() {
    const BatchLinkParse parse = parseBatchLinks(input());
    summary_.set_text(
        localizedPlural("%ld link ready", "%ld links ready", static_cast<std::int64_t>(parse.urls.size())) +
        " · " + localizedPlural("%ld duplicate removed", "%ld duplicates removed", parse.duplicateCount));
    for (Gtk::Widget* row : preview_.get_children()) gtk_widget_destroy(row->gobj());
    for (std::size_t i = 0; i < parse.urls.size(); ++i) {
        auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
        auto* number = makeLabel(std::to_string(i + 1), 12, 400, "quenlith-secondary");
        number->set_size_request(22, -1);
        row->pack_start(*number, Gtk::PACK_SHRINK);
        auto* address = makeLabel(parse.urls[i], 12);
        address->set_xalign(0);
        makeCopyable(*address);
        address->set_line_wrap(true);
        address->set_line_wrap_mode(Pango::WRAP_CHAR);
        address->set_lines(2);
        address->set_ellipsize(Pango::ELLIPSIZE_END);
        row->pack_start(*address, Gtk::PACK_EXPAND_WIDGET);
        preview_.pack_start(*row, Gtk::PACK_SHRINK);
    }
    if (parse.urls.empty()) {
        auto* placeholder = Gtk::manage(new Gtk::Label(
            localizedString("Your links will appear here. Nothing opens until you choose an action.")));
        placeholder->get_style_context()->add_class("quenlith-secondary");
        placeholder->set_xalign(0);
        placeholder->set_line_wrap(true);
        preview_.pack_start(*placeholder, Gtk::PACK_SHRINK);
    }
    preview_.show_all();

    const std::string skipped = skippedLinesText(parse);
    showText(invalid_, !skipped.empty(), skipped);
    showText(tooMany_, parse.tooMany || parse.inputTooLarge);
    showText(tabsNote_, action_ == BatchAction::tabs);
    showText(groupNote_, action_ == BatchAction::group);
    name_.set_visible(action_ == BatchAction::group);
    perform_.set_label(localizedString(rawValue(action_)));
    perform_.set_sensitive(canPerformBatchLinks(parse, action_, name_.get_text().raw()));
    for (std::size_t i = 0; i < suggestionItems_.size(); ++i)
        suggestionItems_[i]->set_sensitive(!isSuggestionListed(parse, links_.suggestions[i]));
}

std::vector<std::string> BatchLinksWindow::shownTexts() const {
    std::vector<std::string> texts{summary_.get_text()};
    for (const Gtk::Widget* row : preview_.get_children()) {
        if (auto* label = dynamic_cast<const Gtk::Label*>(row)) texts.push_back(label->get_text());
        if (auto* box = dynamic_cast<const Gtk::Box*>(row))
            texts.push_back(static_cast<const Gtk::Label*>(box->get_children().back())->get_text());
    }
    for (const Gtk::Label* label : {&invalid_, &tooMany_, &tabsNote_, &groupNote_, &error_})
        if (label->get_visible()) texts.push_back(label->get_text());
    return texts;
}

std::vector<Gtk::MenuItem*> BatchLinksWindow::suggestionItems() { return suggestionItems_; }

void BatchLinksWindow::perform() {
    const BatchLinkParse parse = parseBatchLinks(input());
    if (!canPerformBatchLinks(parse, action_, name_.get_text().raw()) || !links_.onPerform) return;
    auto message = links_.onPerform(action_, parse.urls, trimmedWhitespaceAndNewlines(name_.get_text().raw()));
    // The closure may have closed the window; it stays alive until the next idle turn.
    showText(error_, message.has_value(), message.value_or(""));
}

}  // namespace quenlith
