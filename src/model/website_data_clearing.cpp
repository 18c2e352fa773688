#include "model/website_data_clearing.hpp"

#include <memory>

#include "model/localization.hpp"

namespace quenlith {

void clearWebsiteData(const WebsiteDataClearingSteps& steps, const std::vector<std::string>& types,
                      bool everything, std::function<void(WebsiteDataClearingResult)> done) {
    if (steps.cancelDownloads) steps.cancelDownloads();
    if (steps.closeWindowsAndForgetSession) steps.closeWindowsAndForgetSession();
    auto finish = [steps, everything, done = std::move(done)](Status removed) {
        std::vector<std::string> missed;
        if (!removed) missed.push_back(localizedString("website data"));
        if (!steps.removeSessionFiles || !steps.removeSessionFiles())
            missed.push_back(localizedString("saved session"));
        const bool sessionCleared = missed.empty();
        if (everything) {
            // Both are tried whatever the other answers.
            const bool history = steps.clearHistory && steps.clearHistory();
            const bool addresses = steps.clearLastAddresses && steps.clearLastAddresses();
            if (!history) missed.push_back(localizedString("history"));
            if (!addresses) missed.push_back(localizedString("last addresses"));
        }
        if (steps.endReset) steps.endReset();
        WebsiteDataClearingResult result;
        result.succeeded = missed.empty();
        result.sessionCleared = sessionCleared;
        if (!missed.empty()) {
            result.message = localizedFormat("Not cleared: %@.", {localizedList(missed)});
        }
        if (done) done(std::move(result));
    };
    if (!steps.removeData) return finish(Error{"clearing.noStores", "no data stores"});
    steps.removeData(types, std::move(finish));
}

}  // namespace quenlith

namespace quenlith {

WebsiteDataClearingRequest clearingRequest(PrivacyAction action) {
    switch (action) {
        case PrivacyAction::cookies: return {{"cookies"}, false};
        case PrivacyAction::cache: return {{"memory-cache", "disk-cache", "dom-cache"}, false};
        case PrivacyAction::all: return {{"all"}, true};
    }
    return {{"all"}, false};
}

std::string clearingStatusMessage(const WebsiteDataClearingResult& result) {
    if (result.succeeded) return localizedString("Selected website data cleared.");
    if (result.sessionCleared)
        return localizedString(
            "Website session cleared, but saved browsing records could not be removed. Check the data error "
            "and try again.");
    return localizedFormat("Some website data could not be cleared. %@", {result.message.value_or("")});
}

}  // namespace quenlith
