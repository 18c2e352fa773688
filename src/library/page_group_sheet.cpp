#include "library/page_group_sheet.hpp"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/cssprovider.h>

#include "library/library_pane_context.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/page_group_text.hpp"
#include "model/text_limits.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

namespace {

Gtk::Label* textLabel(const std::string& text, Pango::Attribute attribute) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    label->set_xalign(0);
    label->set_line_wrap(true);
    Pango::AttrList attributes;
    attributes.insert(attribute);
    label->set_attributes(attributes);
    return label;
}

}  // namespace

PageGroupSheet::PageGroupSheet(LibraryPaneContext& context, BrowserScene draft, std::function<void()> done)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 16),
      context_(context),
      draft_(std::move(draft)),
      done_(std::move(done)),
      cancel_(localizedString("Cancel")),
      save_(localizedString("Save")) {
    property_margin() = 24;
    set_size_request(430, -1);

    auto* title = textLabel(localizedString("Save Page Group"),
                            Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD));
    Pango::AttrList titleStyle = title->get_attributes();
    auto scale = Pango::Attribute::create_attr_scale(1.35);
    titleStyle.insert(scale);
    title->set_attributes(titleStyle);
    pack_start(*title, Gtk::PACK_SHRINK);

    titleByPlaceholder(name_, localizedString("Page Group Name"));
    name_.set_activates_default(true);
    pack_start(name_, Gtk::PACK_SHRINK);
    auto* counts = textLabel(sceneCountsText(draft_), Pango::Attribute::create_attr_scale(1.0));
    styleSecondaryText(*counts);
    pack_start(*counts, Gtk::PACK_SHRINK);
    auto* explanation =
        textLabel(localizedString("Saves visible windows, tab URLs and positions. Private pages and "
                                  "sign-in links are excluded. Page contents and unsent drafts "
                                  "cannot be restored after quitting."),
                  Pango::Attribute::create_attr_scale(0.92));
    explanation->set_max_width_chars(50);
    styleSecondaryText(*explanation);
    pack_start(*explanation, Gtk::PACK_SHRINK);

    error_.set_xalign(0);
    error_.set_line_wrap(true);
    auto red = Gtk::CssProvider::create();
    red->load_from_data("label { color: #c01c28; }");
    error_.get_style_context()->add_provider(red, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    error_.set_no_show_all(true);
    pack_start(error_, Gtk::PACK_SHRINK);

    auto* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    styleSuggestedAction(save_);
    save_.set_can_default(true);
    buttons->pack_end(save_, Gtk::PACK_SHRINK);
    buttons->pack_end(cancel_, Gtk::PACK_SHRINK);
    pack_start(*buttons, Gtk::PACK_SHRINK);

    save_.signal_clicked().connect([this] { save(); });
    cancel_.signal_clicked().connect([this] { cancel(); });
    name_.signal_changed().connect([this] { save_.set_sensitive(canSaveSceneName(name_.get_text().raw())); });
    save_.set_sensitive(false);
    // Return saves through the default button (only while it is enabled); Escape cancels.
    signal_realize().connect([this] { save_.grab_default(); });
    signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval != GDK_KEY_Escape) return false;
            cancel();
            return true;
        },
        false);
    libraryChanged_ = context_.library.signal_changed().connect([this] { refreshError(); });
    refreshError();
}

PageGroupSheet::~PageGroupSheet() {
    libraryChanged_.disconnect();
}

void PageGroupSheet::refreshError() {
    const auto& message = context_.library.errorMessage();
    error_.set_text(message.value_or(""));
    error_.set_visible(message.has_value());
}

void PageGroupSheet::save() {
    const std::string typed = name_.get_text().raw();
    if (!canSaveSceneName(typed)) return;
    BrowserScene scene = draft_;
    scene.name = trimmedWhitespaceAndNewlines(typed);
    const bool saved =
        context_.library.update([&](LibraryDocument& document) { document.scenes.push_back(scene); });
    refreshError();
    if (saved && done_) done_();
}

void PageGroupSheet::cancel() {
    if (done_) done_();
}

}  // namespace quenlith
