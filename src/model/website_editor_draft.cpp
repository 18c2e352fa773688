#include "model/website_editor_draft.hpp"

#include "model/uri_components.hpp"
#include "model/web_app_store.hpp"

namespace quenlith {

WebsiteEditorDraft websiteEditorDraft(const WebsiteEditorRequest& request, const WebAppStore& store,
                                      const AppPreferences& preferences) {
    std::optional<Uuid> lookupID;
    if (!request.accountOf) {
        if (request.editID) {
            lookupID = request.editID;
        } else if (request.pageURL) {
            auto sourceID = request.source ? std::optional<Uuid>(request.source->id) : std::nullopt;
            if (auto match = store.profileMatching(*request.pageURL, sourceID, request.source))
                lookupID = match->id;
        }
    }

    WebsiteEditorDraft result;
    result.reusesSession = request.source.has_value();
    if (auto saved = lookupID ? store.profile(*lookupID) : std::nullopt) {
        result.draft = *saved;
        result.editedID = saved->id;
        return result;
    }

    WebAppProfile& draft = result.draft;
    draft.setIsolatedAccount(preferences.readsIsolateNewWindows());
    draft.opacity = preferences.defaultOpacity;
    draft.compactMode = preferences.defaultCompact;
    if (request.source) {
        draft.copyLiveSettings(*request.source);
        draft.isolatedAccount = request.source->isolatedAccount;
        draft.sessionIdentifier = request.source->sessionIdentifier;
        draft.accountName = request.source->accountName;
        draft.siteProxy = request.source->siteProxy;
    }
    if (request.pageURL) {
        draft.homeURL = *request.pageURL;
        if (request.title)
            draft.name = *request.title;
        else
            draft.name = uriHost(*request.pageURL).value_or("");
    }
    if (request.accountOf)
        if (auto original = store.profile(*request.accountOf)) draft = original->newAccountCopy();
    return result;
}

}  // namespace quenlith
