#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/uuid.hpp"

namespace quenlith {

// What a tab's title is made from.
struct TabTitleFacts {
    bool isSleeping = false;
    std::string sleepingTitle;
    bool showsStartPage = false;
    std::string pageTitle;               // the web view's title; empty when none
    std::optional<std::string> pageURL;  // the web view's address
    std::optional<std::string> lastURL;  // the tab's last known address
};

// A sleeping tab: its kept title, else its last host, else "New Tab". A start-page tab:
// "Start Page". Otherwise the page title, else the page's host, else the last host, else "New Tab".
std::string tabDisplayTitle(const TabTitleFacts& facts);

// The host of an absolute address; empty when it has none or does not parse.
std::string addressHost(std::string_view address);

// One tab as the tab strip shows it.
struct TabStripEntry {
    Uuid id;
    bool isSleeping = false;
    bool mediaPaused = false;
    std::string displayTitle;
    std::string pageURL;  // the web view's address; empty when none
    // The site's icon (a GdkPixbuf the tab owns, at most kIconKeptSide pixels a side); none until
    // the page has one.
    const void* icon = nullptr;
};

// The state a tab strip was built for: the strip is rebuilt only when this text changes. The
// media state is not part of it (who changes that clears the kept signature).
std::string tabStripSignature(std::size_t activeIndex, const std::vector<TabStripEntry>& entries);

// The tab button's text: "☾ " (a moon the interface font has) before a sleeping tab's title, "Ⅱ " before a
// paused one's.
std::string tabButtonTitle(const TabStripEntry& entry);

}  // namespace quenlith
