// The library window and the save-page window, and what they ask of the application.
#include <type_traits>

#include <gtkmm/window.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/backup_transfer.hpp"
#include "launcher/main_work_area.hpp"
#include "library/clip_editor.hpp"
#include "library/library_window.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/page_group_windows.hpp"

namespace quenlith {

namespace {

// A closure that runs `work` on the environment while it exists, and does nothing after.
template <typename... Arguments>
std::function<void(Arguments...)> withEnvironment(
    std::weak_ptr<AppEnvironment*> weak, std::type_identity_t<std::function<void(AppEnvironment&, Arguments...)>> work) {
    return [weak, work = std::move(work)](Arguments... arguments) {
        if (auto environment = weak.lock()) work(**environment, arguments...);
    };
}

}  // namespace

void AppEnvironment::showLibrary(std::optional<SavedPagesSection> section) {
    // The library's window hides the launcher itself, once it knows where the focus came from.
    if (section) savedPagesNavigation_.setSection(*section);
    auxiliaryWindows_->showLibrary();
}

void AppEnvironment::openSavedPage(const PageClip& clip) {
    windows_->pageGroups().openSavedPage(clip);
    // The library window, where the entry was chosen, says why nothing opened.
    if (clip.profileID && !store_.profile(*clip.profileID))
        if (auto* window = dynamic_cast<LibraryWindow*>(auxiliaryWindows_->window(AuxiliaryWindows::Kind::library)))
            window->context().setNotice(removedAccountMessage());
}

void AppEnvironment::registerLibraryWindows() {
    auto weak = weakSelf();
    auxiliaryWindows_->setBuilder(AuxiliaryWindows::Kind::library, [this, weak] {
        LibraryWindowLinks links;
        links.onExport = withEnvironment<>(weak, [](AppEnvironment& e) { e.backups().exportBackup(); });
        links.onImport = withEnvironment<>(weak, [](AppEnvironment& e) { e.backups().chooseBackupToImport(); });
        links.onExportNotes = withEnvironment<const std::vector<PageClip>&>(
            weak, [](AppEnvironment& e, const std::vector<PageClip>& clips) { e.backups().exportBookmarks(clips); });
        links.onSaveLater = withEnvironment<>(weak, [](AppEnvironment& e) { e.readLater(nullptr); });
        links.onBatch = withEnvironment<BatchAction, const std::string&>(
            weak, [](AppEnvironment& e, BatchAction action, const std::string& text) {
                e.auxiliaryWindows().showBatchLinks(action, text);
            });
        links.openSavedPage = withEnvironment<const PageClip&>(
            weak, [](AppEnvironment& e, const PageClip& clip) { e.openSavedPage(clip); });
        links.canRestorePreviousLibrary = [weak] {
            auto environment = weak.lock();
            return environment && (*environment)->backups().canRestorePreviousLibrary();
        };
        links.canRestorePreviousWebsites = [weak] {
            auto environment = weak.lock();
            return environment && (*environment)->backups().canRestorePreviousWebsites();
        };
        links.onRestorePreviousLibrary =
            withEnvironment<>(weak, [](AppEnvironment& e) { e.backups().restorePreviousLibrary(); });
        links.onRestorePreviousWebsites =
            withEnvironment<>(weak, [](AppEnvironment& e) { e.backups().restorePreviousWebsites(); });
        return std::unique_ptr<Gtk::Window>(std::make_unique<LibraryWindow>(
            library_, store_, preferences_, *windows_, savedPagesNavigation_, std::move(links)));
    });
    auxiliaryWindows_->setBuilder(AuxiliaryWindows::Kind::clip, [this, weak] {
        return makeClipWindow(
            auxiliaryWindows_->clipDraft(), library_,
            withEnvironment<>(weak, [](AppEnvironment& e) { e.auxiliaryWindows().closeClip(); }),
            mainWorkArea());
    });
}

}  // namespace quenlith
