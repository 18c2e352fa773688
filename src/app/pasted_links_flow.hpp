#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/link_suggestions.hpp"
#include "model/pasted_links.hpp"

namespace quenlith {

class AuxiliaryWindows;
class BrowserWindowManager;
class LibraryStore;
class WebAppStore;

// "Open Multiple Links": the addresses it offers, and the pasted links opened as tabs or kept as
// one page group.
class PastedLinksFlow {
public:
    // `showGroups` shows the library's page groups once a group is kept.
    PastedLinksFlow(const WebAppStore& store, LibraryStore& library, BrowserWindowManager& windows,
                    AuxiliaryWindows& auxiliaryWindows, std::function<void()> showGroups);

    // The addresses offered now: open tabs, saved websites, saved pages.
    std::vector<LinkSuggestion> suggestions() const;
    // Opens the links as tabs, or keeps them as one page group and shows the library. Answers the
    // text to show in the window when the group could not be kept.
    std::optional<std::string> perform(BatchAction action, const std::vector<std::string>& urls,
                                       const std::string& name);

private:
    const WebAppStore& store_;
    LibraryStore& library_;
    BrowserWindowManager& windows_;
    AuxiliaryWindows& auxiliaryWindows_;
    std::function<void()> showGroups_;
};

}  // namespace quenlith
