#include "browser/view/tab_title.hpp"

#include <cstdint>

#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

std::string addressHost(std::string_view address) { return uriHost(address).value_or(""); }

std::string tabDisplayTitle(const TabTitleFacts& facts) {
    auto lastHost = [&] { return facts.lastURL ? addressHost(*facts.lastURL) : std::string(); };
    if (facts.isSleeping) {
        if (!facts.sleepingTitle.empty()) return facts.sleepingTitle;
        if (auto host = lastHost(); !host.empty()) return host;
        return localizedString("New Tab");
    }
    if (facts.showsStartPage) return localizedString("Start Page");
    if (!facts.pageTitle.empty()) return facts.pageTitle;
    if (facts.pageURL)
        if (auto host = addressHost(*facts.pageURL); !host.empty()) return host;
    if (auto host = lastHost(); !host.empty()) return host;
    return localizedString("New Tab");
}

std::string tabStripSignature(std::size_t activeIndex, const std::vector<TabStripEntry>& entries) {
    std::string signature = std::to_string(activeIndex);
    for (const auto& entry : entries) {
        signature += entry.id.string();
        signature += entry.isSleeping ? "true" : "false";
        signature += entry.displayTitle;
        signature += entry.pageURL;
        signature += std::to_string(reinterpret_cast<std::uintptr_t>(entry.icon));
    }
    return signature;
}

std::string tabButtonTitle(const TabStripEntry& entry) {
    const std::string title = shownName(entry.displayTitle);
    if (entry.isSleeping) return "\u263E " + title;
    if (entry.mediaPaused) return "\u2161 " + title;
    return title;
}

}  // namespace quenlith
