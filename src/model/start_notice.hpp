#pragma once

// What the person is told at start about stored data that could not be taken as it was.

#include <string>
#include <vector>

namespace quenlith {

struct StartNotice {
    std::string title;
    std::string message;
    bool operator==(const StartNotice&) const = default;
};

// The settings could not be read: the defaults are in use, the pages of websites without a proxy
// of their own wait for the answer, and the old settings are kept at `keptAt`.
StartNotice unreadableSettingsNotice(const std::string& keptAt);

// The websites file could not be read: `message` is the store's, which tells what is kept and what
// to do; nothing can be changed until a valid file is restored.
StartNotice unreadableWebsitesNotice(const std::string& message);

// Saved websites left out for repeating another's identifier, named, and the copy of the websites
// file that still holds them.
StartNotice setAsideWebsitesNotice(const std::vector<std::string>& names, const std::string& keptAt);

}  // namespace quenlith
