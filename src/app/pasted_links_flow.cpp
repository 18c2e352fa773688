// "Open Multiple Links": the pasted links open as tabs or are kept as a page group.
#include "app/pasted_links_flow.hpp"

#include "app/auxiliary_windows.hpp"
#include "model/clock.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

PastedLinksFlow::PastedLinksFlow(const WebAppStore& store, LibraryStore& library,
                                 BrowserWindowManager& windows, AuxiliaryWindows& auxiliaryWindows,
                                 std::function<void()> showGroups)
    : store_(store),
      library_(library),
      windows_(windows),
      auxiliaryWindows_(auxiliaryWindows),
      showGroups_(std::move(showGroups)) {}

std::vector<LinkSuggestion> PastedLinksFlow::suggestions() const {
    return linkSuggestions(windows_.publisher().runtime().windows(), store_.profiles(),
                           library_.document().clips);
}

std::optional<std::string> PastedLinksFlow::perform(BatchAction action, const std::vector<std::string>& urls,
                                                    const std::string& name) {
    if (action == BatchAction::tabs) {
        auxiliaryWindows_.closeBatchLinks();
        windows_.routing().openURLs(urls);
        return std::nullopt;
    }
    BrowserScene group = pastedLinksGroup(urls, name, systemClock().now());
    if (!library_.update([&](LibraryDocument& document) { document.scenes.push_back(group); }))
        return library_.errorMessage().value_or(localizedString("Please try again."));
    auxiliaryWindows_.closeBatchLinks();
    showGroups_();
    return std::nullopt;
}

}  // namespace quenlith
