#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>
#include <gtkmm/separatormenuitem.h>
#include <gtkmm/stack.h>
#include <gtkmm/window.h>
#include <sigc++/connection.h>

#include "library/library_pane_context.hpp"
#include "model/page_clip.hpp"
#include "model/pending_confirmation.hpp"
#include "model/saved_pages_section.hpp"
#include "ui/framed_box.hpp"

namespace Gtk {
class MessageDialog;
}

namespace quenlith {

class BookmarksPane;
class ClipEditor;
class HistoryPane;
class PageGroupsPane;
class ReadLaterPane;

// What the library window asks of the application: backups, Markdown export, Read Later of the
// active page, the multiple-links window and opening saved pages. Each may be left empty.
struct LibraryWindowLinks {
    std::function<void()> onExport;
    std::function<void()> onImport;
    std::function<void(const std::vector<PageClip>& clips)> onExportNotes;
    std::function<void()> onSaveLater;
    std::function<void(BatchAction action, const std::string& text)> onBatch;
    std::function<void(const PageClip& clip)> openSavedPage;
    // Whether each store's previous file is there, asked each time the menu opens; restoring asks
    // first and reports a failure itself.
    std::function<bool()> canRestorePreviousLibrary;
    std::function<bool()> canRestorePreviousWebsites;
    std::function<void()> onRestorePreviousLibrary;
    std::function<void()> onRestorePreviousWebsites;
};

// "Saved Pages & Groups": the header with the "Backup & Restore" menu, the section picker with
// the unread count, the shared search, the error and notice lines, and the pane of the chosen
// section, with the save-page sheet, the page-group sheet and the "Confirm Change" question. It
// owns no data: every change goes through the stores, which it follows.
class LibraryWindow : public Gtk::Window {
public:
    LibraryWindow(LibraryStore& library, WebAppStore& websites, PreferencesStore& preferences,
                  BrowserWindowManager& windows, SavedPagesNavigation& navigation, LibraryWindowLinks links);
    ~LibraryWindow() override;

    LibraryPaneContext& context() { return context_; }

    // The parts a person uses, for the application's tests.
    Gtk::Entry& searchField() { return search_; }
    const Gtk::Label& errorLine() const { return error_; }
    const Gtk::Label& noticeLine() const { return notice_; }
    std::string sectionLabel(SavedPagesSection section) const;
    void chooseSection(SavedPagesSection section);
    ReadLaterPane& readLaterPane() { return *readLater_; }
    BookmarksPane& bookmarksPane() { return *bookmarks_; }
    HistoryPane& historyPane() { return *history_; }
    // The backup menu's items as they are when it opens: export, import, restore library,
    // restore websites.
    std::vector<Gtk::MenuItem*> backupMenuItems();
    // The question on screen, or nullptr; its answers are "Cancel" and "Continue".
    Gtk::MessageDialog* question() const { return question_.get(); }
    // The save-page sheet while it is open, or nullptr.
    ClipEditor* clipSheet() const { return clipEditor_; }

private:
    Gtk::Box* makeHeader();
    Gtk::Box* makeSectionPicker();
    void updateBackupMenu();
    void refreshLines();
    void refreshSection();
    void refreshShownPane();
    void ask(const std::string& text, std::function<void()> action);
    void answer(int response);
    void showClipSheet(const PageClip& clip);
    void showSceneSheet(const BrowserScene& draft);
    // Puts a window or dialog aside until the next idle turn, so none is freed inside its own
    // handler.
    void retire(std::unique_ptr<Gtk::Window> window);

    LibraryStore& library_;
    WebAppStore& websites_;
    SavedPagesNavigation& navigation_;
    LibraryWindowLinks links_;
    LibraryPaneContext context_;
    PendingConfirmation confirmation_;
    std::optional<std::string> noticeText_;

    // Holds the content at the window's fixed size, whatever its texts would like.
    Gtk::ScrolledWindow frame_;
    FramedBox content_;
    Gtk::MenuButton backupButton_;
    Gtk::Menu backupMenu_;
    Gtk::MenuItem exportItem_, importItem_, restoreLibraryItem_, restoreWebsitesItem_;
    Gtk::SeparatorMenuItem backupSeparator_;
    std::array<Gtk::RadioButton*, 4> sectionButtons_{};
    Gtk::Entry search_;
    Gtk::Label error_;
    Gtk::Label notice_;
    Gtk::Separator divider_;
    Gtk::Stack panes_;
    ReadLaterPane* readLater_ = nullptr;
    BookmarksPane* bookmarks_ = nullptr;
    PageGroupsPane* groups_ = nullptr;
    HistoryPane* history_ = nullptr;
    bool choosingSection_ = false;

    std::unique_ptr<Gtk::MessageDialog> question_;
    std::unique_ptr<Gtk::Window> clipSheet_;
    ClipEditor* clipEditor_ = nullptr;
    std::unique_ptr<Gtk::Window> sceneSheet_;
    std::vector<std::unique_ptr<Gtk::Window>> retired_;
    sigc::connection retireIdle_;
    std::vector<sigc::connection> connections_;
};

}  // namespace quenlith
