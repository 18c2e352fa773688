#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/web_app_editor_window.hpp"
#include "model/replaced_credentials.hpp"
#include "model/scheduler.hpp"
#include "model/website_editor_draft.hpp"

namespace quenlith {

class PreferencesStore;
class WebAppStore;

// Presents the website editor (one window at a time: a request while it is visible only brings
// it forward), stores what it saves and lets go of proxy passwords nothing uses any more.
class WebsiteEditorPresenter {
public:
    // What the rest of the application lends the editor; each may be left unset.
    struct Links {
        std::function<void()> dismissLauncher;
        // Opens (or brings forward) the window of a saved website.
        std::function<void(const Uuid& websiteID)> showWebsite;
        // Links the window whose page was saved to the new website.
        std::function<void(const WebAppProfile& website, const WebAppProfile& source,
                           const std::string& pageURL)>
            linkWindow;
        // Whether an open window or the library still uses a proxy credential.
        std::function<bool(const std::string& credentialID)> credentialInUse;
        FetchWebsiteDetails fetchWebsiteDetails;
        // The global-shortcut check; the editor's own when unset.
        std::function<std::optional<std::string>(const std::optional<ShortcutConfiguration>&,
                                                 const std::string&)>
            validateShortcut;
        std::shared_ptr<ProxyPasswordVault> vault;
        std::function<std::vector<LinkedApplication>()> installedApplications;
        Scheduler* scheduler = nullptr;
        TrayPresence* tray = nullptr;
    };

    WebsiteEditorPresenter(WebAppStore& store, PreferencesStore& preferences,
                           Scheduler& scheduler = mainLoopScheduler());
    ~WebsiteEditorPresenter();
    WebsiteEditorPresenter(const WebsiteEditorPresenter&) = delete;
    WebsiteEditorPresenter& operator=(const WebsiteEditorPresenter&) = delete;

    const Links& links() const { return links_; }
    void setLinks(Links links) { links_ = std::move(links); }

    // "Add Website…", editing a website, a new account, or saving a window's page.
    void showWebsiteEditor(const WebsiteEditorRequest& request);
    void showAddWebsite() { showWebsiteEditor({}); }
    void showEditWebsite(const Uuid& id) { showWebsiteEditor({.editID = id}); }

    // The open editor, if any.
    WebAppEditorWindow* editorWindow() const { return editor_.get(); }
    void closeEditor();

    // Stores a website the editor saved; on success closes the editor, links the page's window
    // and opens a new website when asked to. On failure the store keeps the previous record and
    // the user sees "Could not save website" with the reason; when the write fails after the
    // editor closed, the editor comes again holding the saved record, with that alert.
    bool saveWebsite(const WebAppProfile& website, const WebsiteEditorRequest& context, bool isNew);
    // Removes the password of a credential unless a website, the global proxy, an open window or
    // the library still uses it. One that a save still on its way to the disk replaced waits for
    // that write: when it fails, the record taken back uses the credential again.
    void discardProxyCredential(const std::string& credentialID);

private:
    void openEditor(WebsiteEditorDraft decided, const WebsiteEditorRequest& request, Gtk::Window* origin);
    // Opens the editor again on a record whose write failed, with the alert; false when another
    // editor is open. `unsaved` are the credentials made for earlier saves of the same edit that
    // never reached the disk either.
    bool reopenUnsaved(const WebAppProfile& website, const WebsiteEditorRequest& context, bool isNew,
                       const std::string& reason, std::vector<std::string> unsaved);
    // Whether the store, the global proxy or (through the links) anything open uses the credential.
    bool credentialInUse(const std::string& credentialID) const;
    // Removes the credential's password once nothing names it (see findUnusedCredentials).
    void letGoOfCredential(const std::string& credentialID);
    std::optional<std::string> checkShortcut(const std::optional<ShortcutConfiguration>& shortcut,
                                             const std::string& bindingName) const;

    Links links_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    Scheduler& scheduler_;
    std::unique_ptr<WebAppEditorWindow> editor_;
    // The proxy passwords made for saves of the open editor's edit that never reached the disk:
    // a save may still use them; given up, the edit lets go of them.
    std::vector<std::string> unsavedCredentials_;
    // Numbers the editors, so a late Save of a closed one is told apart from the open one.
    std::uint64_t editorSerial_ = 0;
    // A closed editor waits here until its own callbacks have returned.
    std::vector<std::unique_ptr<WebAppEditorWindow>> retired_;
    ScheduledTask release_;
    ReplacedCredentials replacedCredentials_{
        [this](const std::string& credentialID) { letGoOfCredential(credentialID); }};
    std::shared_ptr<WebsiteEditorPresenter*> self_;
};

}  // namespace quenlith
