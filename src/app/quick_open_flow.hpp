#pragma once

#include <string>
#include <vector>

#include "model/quick_open.hpp"

namespace quenlith {

class AuxiliaryWindows;
class BrowserWindowManager;
class LibraryStore;
class PreferencesStore;
class WebAppStore;

// What Quick Open shows and opens: its rows from the live stores, and the tab, website, saved
// page, page group or address of a chosen row or of a search. Quick Open closes once the chosen
// window has asked for the focus.
class QuickOpenFlow {
public:
    QuickOpenFlow(const WebAppStore& store, const PreferencesStore& preferences, const LibraryStore& library,
                  BrowserWindowManager& windows, AuxiliaryWindows& auxiliaryWindows);

    // Quick Open's rows for the query.
    std::vector<QuickOpenItem> items(const std::string& query) const;
    // A chosen row; a saved page or group deleted meanwhile opens nothing.
    void open(const QuickOpenTarget& target);
    // Opens the text as an address or a search.
    void search(const std::string& text);

private:
    const WebAppStore& store_;
    const PreferencesStore& preferences_;
    const LibraryStore& library_;
    BrowserWindowManager& windows_;
    AuxiliaryWindows& auxiliaryWindows_;
};

}  // namespace quenlith
