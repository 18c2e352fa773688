#include "library/clip_editor.hpp"

#include <atkmm/object.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/window.h>

#include "model/clip_draft.hpp"
#include "model/library_filters.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

ClipEditor::ClipEditor(PageClip draft, LibraryStore& library, std::function<void()> onDone,
                       std::optional<ContentSize> workArea)
    : FramedBox(Gtk::ORIENTATION_VERTICAL, 0),
      draft_(std::move(draft)),
      library_(library),
      onDone_(std::move(onDone)),
      heading_(localizedString("Save Page / Selection")),
      readLater_(localizedString("Add to Read Later")),
      choose_(),
      excerptHeading_(localizedString("Source Excerpt")),
      noExcerpt_(localizedString("No excerpt selected. This saves the page link.")),
      caption_(localizedString("Saved locally as a bookmark. Excerpts retain their original source.")),
      cancel_(localizedString("Cancel")),
      save_(localizedString("Save")) {
    // The frame with the padding inside it; on a small screen the form scrolls above the buttons,
    // which stay in sight.
    const ContentSize size = clipContentSize(workArea);
    setFrame(size.width, size.height);
    form_.set_margin_top(24);
    form_.set_margin_start(24);
    form_.set_margin_end(24);
    form_.set_margin_bottom(14);
    buttons_.set_margin_start(24);
    buttons_.set_margin_end(24);
    buttons_.set_margin_bottom(24);
    formScroller_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    formScroller_.add(form_);
    keepFocusInView(formScroller_);
    pack_start(formScroller_, Gtk::PACK_EXPAND_WIDGET);

    Pango::AttrList headingStyle;
    auto semibold = Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD);
    auto larger = Pango::Attribute::create_attr_scale(1.4);
    headingStyle.insert(semibold);
    headingStyle.insert(larger);
    heading_.set_attributes(headingStyle);
    heading_.set_xalign(0);
    form_.pack_start(heading_, Gtk::PACK_SHRINK);

    titleByPlaceholder(title_, localizedString("Title"));
    title_.set_text(draft_.title);
    titleByPlaceholder(address_, localizedString("Source URL"));
    address_.set_text(draft_.address);
    readLater_.set_active(draft_.readingState.has_value());
    titleByPlaceholder(collection_, localizedString("Collection (optional)"));
    collection_.set_text(draft_.collection);
    for (Gtk::Entry* entry : {&title_, &address_, &collection_}) entry->set_activates_default(true);
    form_.pack_start(title_, Gtk::PACK_SHRINK);
    form_.pack_start(address_, Gtk::PACK_SHRINK);
    form_.pack_start(readLater_, Gtk::PACK_SHRINK);

    choose_.set_label(localizedString("Choose"));
    choose_.set_popup(chooseMenu_);
    collectionRow_.pack_start(collection_, Gtk::PACK_EXPAND_WIDGET);
    collectionRow_.pack_start(choose_, Gtk::PACK_SHRINK);
    form_.pack_start(collectionRow_, Gtk::PACK_SHRINK);

    // A long excerpt (up to 200,000 characters) goes into a text view, which lays out lazily; a
    // label of that size would hold up the window.
    Pango::AttrList bold;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_BOLD);
    bold.insert(weight);
    excerptHeading_.set_attributes(bold);
    excerptHeading_.set_xalign(0);
    excerptBox_.property_margin() = 12;
    excerptBox_.pack_start(excerptHeading_, Gtk::PACK_SHRINK);
    if (draft_.text.empty()) {
        noExcerpt_.set_xalign(0);
        noExcerpt_.set_line_wrap(true);
        makeCopyable(noExcerpt_);
        styleSecondaryText(noExcerpt_);
        excerptBox_.pack_start(noExcerpt_, Gtk::PACK_SHRINK);
        // With nothing inside that takes the focus, the pane takes it itself: heard by its heading,
        // and what it shows after.
        labelControl(excerptHeading_, excerptScroll_);
        if (auto pane = excerptScroll_.get_accessible()) pane->set_description(noExcerpt_.get_text());
    } else {
        excerpt_.set_editable(false);
        excerpt_.set_cursor_visible(false);
        excerpt_.set_wrap_mode(Gtk::WRAP_WORD_CHAR);
        excerpt_.get_buffer()->set_text(draft_.text);
        // It takes the focus: heard by its heading.
        labelControl(excerptHeading_, excerpt_);
        excerptBox_.pack_start(excerpt_, Gtk::PACK_EXPAND_WIDGET);
    }
    excerptScroll_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    excerptScroll_.set_min_content_height(100);
    excerptScroll_.set_shadow_type(Gtk::SHADOW_IN);
    excerptScroll_.add(excerptBox_);
    form_.pack_start(excerptScroll_, Gtk::PACK_EXPAND_WIDGET);

    caption_.set_xalign(0);
    caption_.set_line_wrap(true);
    styleSecondaryText(caption_);
    form_.pack_start(caption_, Gtk::PACK_SHRINK);
    error_.set_xalign(0);
    error_.set_line_wrap(true);
    error_.set_no_show_all(true);
    auto css = Gtk::CssProvider::create();
    css->load_from_data("label { color: #c01c28; }");
    error_.get_style_context()->add_provider(css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    form_.pack_start(error_, Gtk::PACK_SHRINK);

    styleSuggestedAction(save_);
    save_.set_can_default(true);
    buttons_.pack_end(save_, Gtk::PACK_SHRINK);
    buttons_.pack_end(cancel_, Gtk::PACK_SHRINK);
    pack_start(buttons_, Gtk::PACK_SHRINK);

    title_.signal_changed().connect([this] {
        if (updating_) return;
        draft_.title = title_.get_text();
        refresh();
    });
    address_.signal_changed().connect([this] {
        if (updating_) return;
        setDraftAddress(draft_, address_.get_text());
        refresh();
    });
    readLater_.signal_toggled().connect([this] {
        if (updating_) return;
        setDraftReadLater(draft_, readLater_.get_active());
        refresh();
    });
    collection_.signal_changed().connect([this] {
        if (updating_) return;
        draft_.collection = collection_.get_text();
        refresh();
    });
    cancel_.signal_clicked().connect([this] { cancel(); });
    save_.signal_clicked().connect([this] { save(); });
    libraryChanged_ = library_.signal_changed().connect([this] {
        rebuildCollections();
        refresh();
    });
    rebuildCollections();
    refresh();
}

ClipEditor::~ClipEditor() {
    libraryChanged_.disconnect();
    hostKeys_.disconnect();
}

void ClipEditor::attachTo(Gtk::Window& host) {
    host.set_default(save_);
    hostKeys_ = host.signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval != GDK_KEY_Escape) return false;
            cancel();
            return true;
        },
        false);
}

bool ClipEditor::canSave() const { return canSaveClip(draft_); }

void ClipEditor::save() {
    if (!canSave()) return;
    if (library_.save(draft_)) {
        if (onDone_) onDone_();
        return;
    }
    refresh();
}

void ClipEditor::cancel() {
    if (onDone_) onDone_();
}

void ClipEditor::chooseCollection(const std::string& name) {
    collection_.set_text(name);  // the change handler copies it into the draft
}

void ClipEditor::rebuildCollections() {
    collections_ = collectionNames(library_.document().clips);
    for (auto& item : chooseItems_) chooseMenu_.remove(*item);
    chooseItems_.clear();
    for (const auto& name : collections_) {
        auto& item = chooseItems_.emplace_back(std::make_unique<Gtk::MenuItem>(name));
        item->signal_activate().connect([this, name] { chooseCollection(name); });
        chooseMenu_.append(*item);
    }
    chooseMenu_.show_all();
    // With no collection yet the menu would open empty: the button offers nothing to choose.
    choose_.set_sensitive(!collections_.empty());
}

void ClipEditor::refresh() {
    // An excerpt keeps the address it was taken from.
    address_.set_sensitive(draft_.text.empty());
    updating_ = true;
    readLater_.set_active(draft_.readingState.has_value());
    updating_ = false;
    save_.set_sensitive(canSave());
    const auto& failure = library_.errorMessage();
    error_.set_text(failure.value_or(""));
    error_.set_visible(failure.has_value());
}

std::unique_ptr<Gtk::Window> makeClipWindow(const PageClip& draft, LibraryStore& library,
                                            std::function<void()> onDone,
                                            std::optional<ContentSize> workArea) {
    auto window = std::make_unique<Gtk::Window>();
    window->set_resizable(false);
    auto* editor = Gtk::manage(new ClipEditor(draft, library, std::move(onDone), workArea));
    editor->attachTo(*window);
    window->add(*editor);
    editor->show_all();
    return window;
}

}  // namespace quenlith
