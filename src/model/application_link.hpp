#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// What application links do when another application comes to the front.
struct LinkedWebsitePlan {
    std::set<Uuid> toShow;  // websites to bring forward
    std::set<Uuid> toHide;  // websites shown by a link earlier, to put away

    bool operator==(const LinkedWebsitePlan&) const = default;
};

// Plans application links for the application `applicationID` (its desktop-file id; none when
// unknown) that just became active. Matched websites have links switched on and list that
// application (compared exactly); nothing matches while `linksEnabled` is false. Matched websites
// not in `notToShow` are brought forward. Of `linkedWebsites` (shown earlier by a link), those not
// matched are put away, except when `windowOf` puts them in the same window as a matched website;
// a website without an entry in `windowOf` shares no window.
LinkedWebsitePlan linkedWebsiteIDs(const std::optional<std::string>& applicationID,
                                   const std::vector<WebAppProfile>& websites,
                                   const std::set<Uuid>& linkedWebsites, const std::set<Uuid>& notToShow,
                                   bool linksEnabled, const std::map<Uuid, Uuid>& windowOf);

}  // namespace quenlith
