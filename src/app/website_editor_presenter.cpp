#include "app/website_editor_presenter.hpp"

#include <utility>

#include "browser/engine/keyring_password_vault.hpp"
#include "model/credential_release.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "model/web_app_store.hpp"
#include "ui/alert.hpp"
#include "ui/asked_window.hpp"
#include "ui/work_area_fit.hpp"

namespace quenlith {

WebsiteEditorPresenter::WebsiteEditorPresenter(WebAppStore& store, PreferencesStore& preferences,
                                               Scheduler& scheduler)
    : store_(store),
      preferences_(preferences),
      scheduler_(scheduler),
      self_(std::make_shared<WebsiteEditorPresenter*>(this)) {}

WebsiteEditorPresenter::~WebsiteEditorPresenter() {
    self_.reset();
    release_.cancel();
    editor_.reset();
    retired_.clear();
}

void WebsiteEditorPresenter::showWebsiteEditor(const WebsiteEditorRequest& request) {
    // The window the person asked from, taken before the launcher hides: the focus returns there.
    Gtk::Window* origin = focusedApplicationWindow();
    if (links_.dismissLauncher) links_.dismissLauncher();
    if (editor_ && editor_->get_visible()) {
        presentAskedWindow(*editor_, origin == editor_.get() ? nullptr : origin, true);
        return;
    }
    if (editor_) closeEditor();
    openEditor(websiteEditorDraft(request, store_, preferences_.value()), request, origin);
}

void WebsiteEditorPresenter::openEditor(WebsiteEditorDraft decided, const WebsiteEditorRequest& request,
                                        Gtk::Window* origin) {
    bool isNew = decided.isNew();
    std::weak_ptr<WebsiteEditorPresenter*> weak = self_;
    WebAppEditorServices services;
    // A Save may end after its editor was closed (the secret store answers late), and another
    // editor may be open by then: only the editor that is still open may store, and closes itself.
    std::uint64_t serial = ++editorSerial_;
    services.onSave = [weak, request, isNew, serial](const WebAppProfile& website) {
        auto self = weak.lock();
        if (!self || (*self)->editorSerial_ != serial || !(*self)->editor_) return false;
        return (*self)->saveWebsite(website, request, isNew);
    };
    services.onCancel = [weak] {
        if (auto self = weak.lock()) (*self)->closeEditor();
    };
    services.discardCredential = [weak](const std::string& credentialID) {
        if (auto self = weak.lock()) (*self)->discardProxyCredential(credentialID);
    };
    services.validateShortcut =
        links_.validateShortcut
            ? links_.validateShortcut
            : [weak](const std::optional<ShortcutConfiguration>& shortcut, const std::string& name) {
                  auto self = weak.lock();
                  return self ? (*self)->checkShortcut(shortcut, name) : std::nullopt;
              };
    services.heldShortcuts = [weak](const std::string& name) {
        auto self = weak.lock();
        return self ? shortcutsHeldElsewhere((*self)->store_.profiles(), (*self)->preferences_.value(), name)
                    : std::vector<ShortcutConfiguration>{};
    };
    services.fetchWebsiteDetails = links_.fetchWebsiteDetails;
    services.vault = links_.vault ? links_.vault : std::make_shared<KeyringPasswordVault>();
    services.installedApplications = links_.installedApplications;
    services.scheduler = links_.scheduler;
    services.tray = links_.tray;
    editor_ = std::make_unique<WebAppEditorWindow>(std::move(decided.draft), isNew, request.openAfterSave,
                                                   decided.reusesSession, std::move(services));
    keepInWorkArea(*editor_);
    presentAskedWindow(*editor_, origin, true);
}

void WebsiteEditorPresenter::closeEditor() {
    if (!editor_) return;
    // Closed without handing its edit over: what was made for its failed saves is named nowhere.
    for (const std::string& credentialID : std::exchange(unsavedCredentials_, {}))
        letGoOfCredential(credentialID);
    hideAskedWindow(*editor_);
    // The editor may be inside one of its own handlers: release it on a later turn.
    retired_.push_back(std::move(editor_));
    std::weak_ptr<WebsiteEditorPresenter*> weak = self_;
    release_ = scheduler_.scheduleIdle([weak] {
        if (auto self = weak.lock()) (*self)->retired_.clear();
    });
}

bool WebsiteEditorPresenter::saveWebsite(const WebAppProfile& website, const WebsiteEditorRequest& context,
                                         bool isNew) {
    // The write goes on after the editor closed; when it fails, the store takes the record back
    // and the editor comes again with it, so the edits are not lost.
    std::weak_ptr<WebsiteEditorPresenter*> weak = self_;
    auto report =
        replacedCredentials_.beginSave([weak, website, context, isNew, unsaved = unsavedCredentials_](
                                           const std::optional<std::string>& failure) {
            auto self = weak.lock();
            if (!failure || !self) return false;
            return (*self)->reopenUnsaved(website, context, isNew, *failure, unsaved);
        });
    if (!store_.upsert(website, std::move(report))) {
        // The store keeps (or has put back) the previous record; the editor keeps the user's edits.
        std::string reason = store_.errorMessage().value_or(localizedString("Please try again."));
        logError(LogCategory::lifecycle, "Website not saved: " + reason);
        presentAlert(AlertKind::error, localizedString("Could not save website"), reason, editor_.get());
        return false;
    }
    // They go with the save: once it is on the disk, they are the record's or were replaced.
    unsavedCredentials_.clear();
    // The editor closes after the website's window has asked for the focus: closed first, it hands
    // the focus to another client under some window managers before the request.
    struct CloseEditor {
        WebsiteEditorPresenter& presenter;
        ~CloseEditor() { presenter.closeEditor(); }
    } close{*this};
    if (context.source && context.pageURL && links_.linkWindow)
        links_.linkWindow(website, *context.source, *context.pageURL);
    if (isNew && context.openAfterSave && links_.showWebsite) links_.showWebsite(website.id);
    return true;
}

bool WebsiteEditorPresenter::reopenUnsaved(const WebAppProfile& website, const WebsiteEditorRequest& context,
                                           bool isNew, const std::string& reason,
                                           std::vector<std::string> unsaved) {
    if (website.siteProxy && website.siteProxy->credentialID)
        unsaved.push_back(*website.siteProxy->credentialID);
    // Another editor opened meanwhile keeps its own edits: the general alert tells the failure,
    // and this edit is given up.
    if (editor_ && editor_->get_visible()) {
        for (const std::string& credentialID : unsaved) letGoOfCredential(credentialID);
        return false;
    }
    if (editor_) closeEditor();
    logError(LogCategory::lifecycle, "Website not saved: " + reason);
    // A new website is gone from the store again; its window (opened after the save) closes with
    // it, as for any rolled-back change.
    WebsiteEditorDraft draft{.draft = website,
                             .editedID = isNew ? std::nullopt : std::optional<Uuid>(website.id),
                             .reusesSession = context.source.has_value()};
    openEditor(std::move(draft), context, nullptr);
    // A credential the record taken back still uses stays, as any let go of.
    unsavedCredentials_ = std::move(unsaved);
    presentAlert(AlertKind::error, localizedString("Could not save website"), reason, editor_.get());
    return true;
}

void WebsiteEditorPresenter::discardProxyCredential(const std::string& credentialID) {
    replacedCredentials_.replaced(credentialID);
}

bool WebsiteEditorPresenter::credentialInUse(const std::string& credentialID) const {
    CredentialUsers users;
    users.addWebsiteStore(store_);
    users.addProxy(preferences_.value().proxy);
    return users.uses(credentialID) || (links_.credentialInUse && links_.credentialInUse(credentialID));
}

void WebsiteEditorPresenter::letGoOfCredential(const std::string& credentialID) {
    if (credentialInUse(credentialID)) return;
    std::weak_ptr<WebsiteEditorPresenter*> weak = self_;
    findUnusedCredentials(
        {credentialID}, SavedCredentialFiles::current(),
        [weak](const std::string& credential) {
            auto self = weak.lock();
            return !self || (*self)->credentialInUse(credential);
        },
        [weak](std::optional<std::vector<std::string>> unused) {
            auto self = weak.lock();
            if (!self || !unused) return;
            auto vault = (*self)->links_.vault ? (*self)->links_.vault : std::make_shared<KeyringPasswordVault>();
            for (const auto& credential : *unused) vault->remove(credential);
        });
}

std::optional<std::string> WebsiteEditorPresenter::checkShortcut(
    const std::optional<ShortcutConfiguration>& shortcut, const std::string& bindingName) const {
    if (!shortcut) return std::nullopt;
    if (!shortcut->isValid()) return localizedString("Include Ctrl, Alt or Super in a global shortcut.");
    bool taken = *shortcut == kMouseRecoveryShortcut;
    for (const auto& website : store_.profiles())
        taken = taken || (website.id.string() != bindingName && website.globalShortcut == shortcut);
    const AppPreferences& preferences = preferences_.value();
    for (const auto& own :
         {preferences.pinShortcut, preferences.compactShortcut, preferences.launcherShortcut})
        taken = taken || own == shortcut;
    if (taken)
        return localizedString(
            "This shortcut is already assigned in Quenlith. Ctrl+Alt+P is reserved for mouse control "
            "recovery.");
    return std::nullopt;
}

}  // namespace quenlith
