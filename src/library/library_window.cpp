#include "library/library_window.hpp"

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/image.h>
#include <atkmm/object.h>
#include <gtkmm/messagedialog.h>

#include "library/bookmarks_pane.hpp"
#include "library/clip_editor.hpp"
#include "library/history_pane.hpp"
#include "library/page_groups_pane.hpp"
#include "library/read_later_pane.hpp"
#include "model/library_filters.hpp"
#include "model/library_presentation.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {

namespace {

constexpr std::array<SavedPagesSection, 4> kSections = {SavedPagesSection::later, SavedPagesSection::bookmarks,
                                                        SavedPagesSection::groups, SavedPagesSection::history};

const char* paneName(SavedPagesSection section) {
    switch (section) {
        case SavedPagesSection::later: return "later";
        case SavedPagesSection::bookmarks: return "bookmarks";
        case SavedPagesSection::groups: return "groups";
        case SavedPagesSection::history: return "history";
    }
    return "later";
}

void paintRed(Gtk::Label& label) {
    auto css = Gtk::CssProvider::create();
    css->load_from_data("label { color: #c01c28; }");
    label.get_style_context()->add_provider(css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// The work area of the main monitor, when there is one.
std::optional<ContentSize> mainWorkArea() {
    auto display = Gdk::Display::get_default();
    if (!display) return std::nullopt;
    auto monitor = display->get_primary_monitor();
    if (!monitor && display->get_n_monitors() > 0) monitor = display->get_monitor(0);
    if (!monitor) return std::nullopt;
    Gdk::Rectangle area;
    monitor->get_workarea(area);
    return ContentSize{area.get_width(), area.get_height()};
}

void pad(Gtk::Widget& widget, int start, int end, int top, int bottom) {
    widget.set_margin_start(start);
    widget.set_margin_end(end);
    widget.set_margin_top(top);
    widget.set_margin_bottom(bottom);
}

}  // namespace

LibraryWindow::LibraryWindow(LibraryStore& library, WebAppStore& websites, PreferencesStore& preferences,
                             BrowserWindowManager& windows, SavedPagesNavigation& navigation,
                             LibraryWindowLinks links)
    : library_(library), websites_(websites), navigation_(navigation), links_(std::move(links)),
      context_(library, websites, preferences, windows, navigation),
      exportItem_(localizedString("Export Backup…")), importItem_(localizedString("Import Backup…")),
      restoreLibraryItem_(localizedString("Restore Previous Saved Pages")),
      restoreWebsitesItem_(localizedString("Restore Previous Websites")) {
    set_title(localizedString("Saved Pages & Groups"));
    set_resizable(false);

    context_.setNotice = [this](const std::string& text) {
        noticeText_ = text;
        refreshLines();
    };
    context_.clearNotice = [this] {
        noticeText_.reset();
        refreshLines();
    };
    context_.ask = [this](const std::string& text, std::function<void()> action) { ask(text, std::move(action)); };
    context_.editClip = [this](const PageClip& clip) { showClipSheet(clip); };
    context_.showSceneSheet = [this](const BrowserScene& draft) { showSceneSheet(draft); };
    context_.onBatch = [this](BatchAction action, const std::string& text) {
        if (links_.onBatch) links_.onBatch(action, text);
    };
    context_.openSavedPage = [this](const PageClip& clip) {
        if (links_.openSavedPage) links_.openSavedPage(clip);
    };
    context_.showUnreadReadLater = [this] {
        readLater_->setFilter(ReadingState::unread);
        navigation_.setSection(SavedPagesSection::later);
    };
    context_.window = [this]() -> Gtk::Window* { return this; };

    // Its own size, or more where its content needs more (a larger text size), as far as the work
    // area allows; beyond that it scrolls.
    const auto area = mainWorkArea();
    const ContentSize size = libraryContentSize(area);
    content_.setFrame(size.width, size.height);
    frame_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
    frame_.set_propagate_natural_width(true);
    frame_.set_propagate_natural_height(true);
    if (const auto limit = libraryContentLimit(area)) {
        frame_.set_max_content_width(limit->width);
        frame_.set_max_content_height(limit->height);
    }
    frame_.set_shadow_type(Gtk::SHADOW_NONE);

    content_.pack_start(*makeHeader(), Gtk::PACK_SHRINK);
    content_.pack_start(*makeSectionPicker(), Gtk::PACK_SHRINK);
    search_.set_placeholder_text(localizedString("Search saved pages and groups…"));
    nameControl(search_, localizedString("Search saved pages and groups"));
    pad(search_, 20, 20, 0, 12);
    content_.pack_start(search_, Gtk::PACK_SHRINK);
    for (Gtk::Label* line : {&error_, &notice_}) {
        line->set_xalign(0);
        line->set_line_wrap(true);
        makeCopyable(*line);
        pad(*line, 20, 20, 0, 8);
        content_.pack_start(*line, Gtk::PACK_SHRINK);
    }
    paintRed(error_);
    styleSecondaryText(notice_);
    content_.pack_start(divider_, Gtk::PACK_SHRINK);

    readLater_ = Gtk::manage(new ReadLaterPane(context_, [this] {
        if (links_.onSaveLater) links_.onSaveLater();
    }));
    bookmarks_ = Gtk::manage(new BookmarksPane(context_, [this](const std::vector<PageClip>& clips) {
        if (links_.onExportNotes) links_.onExportNotes(clips);
    }));
    groups_ = Gtk::manage(new PageGroupsPane(context_));
    history_ = Gtk::manage(new HistoryPane(context_));
    panes_.add(*readLater_, paneName(SavedPagesSection::later));
    panes_.add(*bookmarks_, paneName(SavedPagesSection::bookmarks));
    panes_.add(*groups_, paneName(SavedPagesSection::groups));
    panes_.add(*history_, paneName(SavedPagesSection::history));
    panes_.set_vexpand(true);
    content_.pack_start(panes_, Gtk::PACK_EXPAND_WIDGET);
    frame_.add(content_);
    add(frame_);
    frame_.show_all();

    search_.signal_changed().connect([this] {
        context_.query = search_.get_text();
        refreshShownPane();
    });
    connections_.push_back(library_.signal_changed().connect([this] {
        refreshLines();
        refreshShownPane();
    }));
    connections_.push_back(websites_.signal_changed().connect([this] { refreshLines(); }));
    connections_.push_back(preferences.signal_changed().connect([this] {
        if (navigation_.section() == SavedPagesSection::history) history_->refresh();
    }));
    connections_.push_back(navigation_.signal_changed().connect([this] { refreshSection(); }));
    refreshLines();
    refreshSection();
}

LibraryWindow::~LibraryWindow() {
    for (auto& connection : connections_) connection.disconnect();
    retireIdle_.disconnect();
}

Gtk::Box* LibraryWindow::makeHeader() {
    installApplicationIcons();
    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    header->property_margin() = 20;
    auto* icon = Gtk::manage(new Gtk::Image());
    icon->set_from_icon_name(iconNameForSymbol("square.stack.3d.up"), Gtk::ICON_SIZE_LARGE_TOOLBAR);
    auto* title = Gtk::manage(new Gtk::Label(localizedString("Saved Pages & Groups")));
    Pango::AttrList attributes;
    auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD);
    auto scale = Pango::Attribute::create_attr_scale(1.4);
    attributes.insert(weight);
    attributes.insert(scale);
    title->set_attributes(attributes);
    header->pack_start(*icon, Gtk::PACK_SHRINK);
    header->pack_start(*title, Gtk::PACK_SHRINK);

    auto* buttonContent = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    auto* driveIcon = Gtk::manage(new Gtk::Image());
    driveIcon->set_from_icon_name(iconNameForSymbol("externaldrive"), Gtk::ICON_SIZE_BUTTON);
    buttonContent->pack_start(*driveIcon, Gtk::PACK_SHRINK);
    buttonContent->pack_start(*Gtk::manage(new Gtk::Label(localizedString("Backup & Restore"))), Gtk::PACK_SHRINK);
    backupButton_.add(*buttonContent);
    backupMenu_.append(exportItem_);
    backupMenu_.append(importItem_);
    backupMenu_.append(backupSeparator_);
    backupMenu_.append(restoreLibraryItem_);
    backupMenu_.append(restoreWebsitesItem_);
    backupMenu_.show_all();
    backupButton_.set_popup(backupMenu_);
    // The restore items follow the backup files on disk each time the menu opens.
    backupMenu_.signal_show().connect([this] { updateBackupMenu(); });
    exportItem_.signal_activate().connect([this] {
        if (links_.onExport) links_.onExport();
    });
    importItem_.signal_activate().connect([this] {
        if (links_.onImport) links_.onImport();
    });
    restoreLibraryItem_.signal_activate().connect([this] {
        if (links_.onRestorePreviousLibrary) links_.onRestorePreviousLibrary();
    });
    restoreWebsitesItem_.signal_activate().connect([this] {
        if (links_.onRestorePreviousWebsites) links_.onRestorePreviousWebsites();
    });
    header->pack_end(backupButton_, Gtk::PACK_SHRINK);
    return header;
}

void LibraryWindow::updateBackupMenu() {
    restoreLibraryItem_.set_sensitive(links_.canRestorePreviousLibrary && links_.canRestorePreviousLibrary());
    restoreWebsitesItem_.set_sensitive(links_.canRestorePreviousWebsites && links_.canRestorePreviousWebsites());
}

std::vector<Gtk::MenuItem*> LibraryWindow::backupMenuItems() {
    updateBackupMenu();
    return {&exportItem_, &importItem_, &restoreLibraryItem_, &restoreWebsitesItem_};
}

Gtk::Box* LibraryWindow::makeSectionPicker() {
    auto* picker = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 0));
    picker->get_style_context()->add_class("linked");
    picker->set_halign(Gtk::ALIGN_CENTER);
    picker->get_accessible()->set_name(localizedString("Saved Pages Section"));
    pad(*picker, 20, 20, 0, 12);
    Gtk::RadioButton::Group group;
    for (SavedPagesSection section : kSections) {
        auto* button = Gtk::manage(new Gtk::RadioButton(group));
        button->set_mode(false);
        button->set_label(sectionLabel(section));
        button->signal_toggled().connect([this, button, section] {
            if (button->get_active() && !choosingSection_) navigation_.setSection(section);
        });
        sectionButtons_[static_cast<std::size_t>(rawValue(section))] = button;
        picker->pack_start(*button, Gtk::PACK_EXPAND_WIDGET);
    }
    return picker;
}

std::string LibraryWindow::sectionLabel(SavedPagesSection section) const {
    switch (section) {
        case SavedPagesSection::later:
            return localizedFormat("Read Later (%ld)",
                                   {static_cast<std::int64_t>(unreadCount(library_.document().clips))});
        case SavedPagesSection::bookmarks: return localizedString("Bookmarks");
        case SavedPagesSection::groups: return localizedString("Page Groups");
        case SavedPagesSection::history: return localizedString("History");
    }
    return {};
}

void LibraryWindow::chooseSection(SavedPagesSection section) {
    sectionButtons_[static_cast<std::size_t>(rawValue(section))]->set_active(true);
}

void LibraryWindow::refreshLines() {
    if (sectionButtons_[0]) sectionButtons_[0]->set_label(sectionLabel(SavedPagesSection::later));
    // The library's failure wins over the websites'.
    std::optional<std::string> failure = library_.errorMessage();
    if (!failure) failure = websites_.errorMessage();
    error_.set_text(failure.value_or(""));
    error_.set_visible(failure.has_value());
    notice_.set_text(noticeText_.value_or(""));
    notice_.set_visible(noticeText_.has_value());
}

void LibraryWindow::refreshSection() {
    const SavedPagesSection section = navigation_.section();
    choosingSection_ = true;
    sectionButtons_[static_cast<std::size_t>(rawValue(section))]->set_active(true);
    choosingSection_ = false;
    panes_.set_visible_child(paneName(section));
    refreshShownPane();
}

void LibraryWindow::refreshShownPane() {
    switch (navigation_.section()) {
        case SavedPagesSection::later: readLater_->refresh(); break;
        case SavedPagesSection::bookmarks: bookmarks_->refresh(); break;
        case SavedPagesSection::groups: groups_->refresh(); break;
        case SavedPagesSection::history: history_->refresh(); break;
    }
}

// --- Confirm Change -------------------------------------------------------------------------

void LibraryWindow::ask(const std::string& text, std::function<void()> action) {
    confirmation_.ask(text, std::move(action));
    if (question_) retire(std::move(question_));
    const bool attached = get_visible();
    question_ = makeMessageDialog(Gtk::MESSAGE_WARNING, localizedString("Confirm Change"), confirmation_.text(),
                                  attached ? this : nullptr);
    question_->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    Gtk::Widget* proceed = question_->add_button(localizedString("Continue"), Gtk::RESPONSE_ACCEPT);
    proceed->get_style_context()->add_class("destructive-action");
    question_->set_default_response(Gtk::RESPONSE_CANCEL);
    question_->signal_response().connect([this](int response) { answer(response); });
    question_->present();
}

void LibraryWindow::answer(int response) {
    if (question_) {
        question_->hide();
        retire(std::move(question_));
    }
    // The action runs once: a second answer finds nothing waiting.
    if (response == Gtk::RESPONSE_ACCEPT)
        confirmation_.confirm();
    else
        confirmation_.cancel();
}

// --- sheets ---------------------------------------------------------------------------------

void LibraryWindow::showClipSheet(const PageClip& clip) {
    if (clipSheet_) retire(std::move(clipSheet_));
    auto sheet = std::make_unique<Gtk::Window>();
    sheet->set_title(localizedString("Save Page / Selection"));
    sheet->set_transient_for(*this);
    sheet->set_modal(true);
    sheet->set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    sheet->set_resizable(false);
    auto done = [this] {
        clipEditor_ = nullptr;
        if (clipSheet_) {
            clipSheet_->hide();
            retire(std::move(clipSheet_));
        }
    };
    clipEditor_ = Gtk::manage(new ClipEditor(clip, library_, done, mainWorkArea()));
    clipEditor_->attachTo(*sheet);
    sheet->add(*clipEditor_);
    sheet->signal_delete_event().connect([done](GdkEventAny*) {
        done();
        return true;
    });
    clipEditor_->show_all();
    clipSheet_ = std::move(sheet);
    clipSheet_->present();
}

void LibraryWindow::showSceneSheet(const BrowserScene& draft) {
    if (!context_.makeSceneSheet) return;
    if (sceneSheet_) retire(std::move(sceneSheet_));
    auto sheet = std::make_unique<Gtk::Window>();
    sheet->set_title(localizedString("Save Page Group"));
    sheet->set_transient_for(*this);
    sheet->set_modal(true);
    sheet->set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    sheet->set_resizable(false);
    auto done = [this] {
        if (sceneSheet_) {
            sceneSheet_->hide();
            retire(std::move(sceneSheet_));
        }
    };
    std::unique_ptr<Gtk::Widget> content = context_.makeSceneSheet(draft, done);
    if (!content) return;
    sheet->add(*Gtk::manage(content.release()));
    sheet->signal_delete_event().connect([done](GdkEventAny*) {
        done();
        return true;
    });
    sheet->show_all();
    sceneSheet_ = std::move(sheet);
    sceneSheet_->present();
}

void LibraryWindow::retire(std::unique_ptr<Gtk::Window> window) {
    if (!window) return;
    window->hide();
    retired_.push_back(std::move(window));
    if (retireIdle_.connected()) return;
    retireIdle_ = Glib::signal_idle().connect([this] {
        retired_.clear();
        return false;
    });
}

}  // namespace quenlith
