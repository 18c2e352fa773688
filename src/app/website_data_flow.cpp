// Clearing website data from the settings: every step looks the environment up again, since the
// removal from the data stores answers later.
#include "app/app_environment.hpp"
#include "browser/engine/website_sessions.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/session_restore.hpp"

namespace quenlith {

void AppEnvironment::clearWebsiteData(const std::vector<std::string>& types, bool everything,
                                      std::function<void(WebsiteDataClearingResult)> done) {
    std::weak_ptr<AppEnvironment*> weak = self_;
    auto with = [weak](auto action) {
        return [weak, action] {
            auto environment = weak.lock();
            return environment ? action(**environment) : false;
        };
    };
    WebsiteDataClearingSteps steps;
    steps.cancelDownloads = [weak] {
        if (auto environment = weak.lock()) (*environment)->downloads().cancelAll();
    };
    steps.closeWindowsAndForgetSession = [weak] {
        auto environment = weak.lock();
        if (!environment) return;
        // Through the manager: a snapshot waiting or being written must not bring the file back.
        (*environment)->windows().session().closeAllAndForgetSession();
    };
    steps.removeData = [weak](const std::vector<std::string>& kinds, std::function<void(Status)> removed) {
        auto environment = weak.lock();
        if (!environment) return removed(Error{"clearing.gone", "the application is ending"});
        (*environment)->windows().sessions().clearWebsiteData(kinds, std::move(removed));
    };
    steps.removeSessionFiles = with(
        [](AppEnvironment& environment) { return environment.windows().session().removeSavedSession(); });
    steps.clearHistory =
        with([](AppEnvironment& environment) { return environment.library().clearHistory(); });
    steps.clearLastAddresses =
        with([](AppEnvironment& environment) { return environment.store().clearLastURLs(); });
    steps.endReset = [weak] {
        if (auto environment = weak.lock())
            (*environment)->windows().session().setResettingWebsiteData(false);
    };
    quenlith::clearWebsiteData(steps, types, everything,
                               [weak, done = std::move(done)](WebsiteDataClearingResult result) {
                                   if (!weak.lock()) result.succeeded = false;
                                   if (done) done(std::move(result));
                               });
}

}  // namespace quenlith
