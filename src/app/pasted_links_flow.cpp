// "Open Multiple Links": the pasted links open as tabs or are kept as a page group.
#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "model/localization.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

std::vector<LinkSuggestion> AppEnvironment::batchLinkSuggestions() {
    return linkSuggestions(windows_->publisher().runtime().windows(), store.profiles(),
                           library.document().clips);
}

std::optional<std::string> AppEnvironment::performBatchLinks(BatchAction action,
                                                             const std::vector<std::string>& urls,
                                                             const std::string& name) {
    if (action == BatchAction::tabs) {
        auxiliaryWindows_->closeBatchLinks();
        windows_->routing().openURLs(urls);
        return std::nullopt;
    }
    BrowserScene group = pastedLinksGroup(urls, name, systemClock().now());
    if (!library.update([&](LibraryDocument& document) { document.scenes.push_back(group); }))
        return library.errorMessage().value_or(localizedString("Please try again."));
    auxiliaryWindows_->closeBatchLinks();
    showLibrary(SavedPagesSection::groups);
    return std::nullopt;
}

}  // namespace quenlith
