#pragma once

#include <optional>
#include <string>

#include "model/app_preferences.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class WebAppStore;

// Why the website editor is opened.
struct WebsiteEditorRequest {
    std::optional<Uuid> editID{};           // a saved website to edit
    std::optional<std::string> pageURL{};   // a page of a window being saved as a website
    std::optional<std::string> title{};     // that page's title
    bool openAfterSave = true;              // open a new website's window once it is saved
    std::optional<Uuid> accountOf{};        // a website to copy as a new independent account
    std::optional<WebAppProfile> source{};  // the record of the window the page is shown in
};

// The draft the editor starts from, and how it was found.
struct WebsiteEditorDraft {
    WebAppProfile draft;
    // The saved website being edited; none for a new website.
    std::optional<Uuid> editedID;
    // The new website takes over the session of the window it was saved from.
    bool reusesSession = false;
    bool isNew() const { return !editedID.has_value(); }
};

// Decides the editor's draft: the saved website that is edited (or that the saved page's address
// belongs to); else a new website with the preferences' defaults, the source window's live
// settings, session and proxy, and the page's address and title; or a new account of a website.
// An id that names no saved website (deleted meanwhile) opens a new website, not an edit of one.
WebsiteEditorDraft websiteEditorDraft(const WebsiteEditorRequest& request, const WebAppStore& store,
                                      const AppPreferences& preferences);

}  // namespace quenlith
