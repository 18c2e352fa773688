#include "model/start_notice.hpp"

#include <algorithm>

#include "model/isolated_text.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {

// More names than this are counted, not listed: the message stays on the screen.
constexpr std::size_t kListedNames = 5;

}  // namespace

StartNotice unreadableSettingsNotice(const std::string& keptAt) {
    return {localizedString("Quenlith could not read its settings"),
            localizedString("Quenlith is using the default settings. Websites without a proxy of their own no "
                            "longer use a proxy set in Quenlith: their pages wait until you choose OK, then follow "
                            "the desktop’s proxy settings.") +
                "\n\n" + localizedFormat("The old settings file is kept as “%@”.", {keptAt})};
}

StartNotice unreadableWebsitesNotice(const std::string& message) {
    return {localizedString("Quenlith could not read your saved websites"), message};
}

StartNotice setAsideWebsitesNotice(const std::vector<std::string>& names, const std::string& keptAt) {
    std::vector<std::string> listed;
    const std::size_t shown = std::min(names.size(), kListedNames);
    for (std::size_t i = 0; i < shown; ++i)
        listed.push_back("“" + shownName(names[i], kShownTitleCharacters) + "”");
    if (names.size() > shown) {
        const auto others = static_cast<std::int64_t>(names.size() - shown);
        listed.push_back(localizedPlural("%ld other", "%ld others", others));
    }
    const auto count = static_cast<std::int64_t>(names.size());
    return {localizedPlural("%ld saved website was set aside", "%ld saved websites were set aside", count),
            localizedPlural("%1$@ has the same identifier as another saved website, so Quenlith left it out. A "
                            "copy of the websites file that still holds it is kept as “%2$@”, and its website "
                            "data is kept as well.",
                            "%1$@ have the same identifier as other saved websites, so Quenlith left them out. A "
                            "copy of the websites file that still holds them is kept as “%2$@”, and their "
                            "website data is kept as well.",
                            count, {localizedList(listed), keptAt})};
}

}  // namespace quenlith
