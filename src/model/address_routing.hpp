#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/runtime_website_links.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// One tab as address routing sees it: its address (the page's, else the last known one), and
// whether it shows the start page.
struct RoutingTab {
    Uuid id;
    std::optional<std::string> address;
    bool showsStartPage = false;
};

// One open window as address routing sees it. Only windows on the shared session (the main
// browser window, or a persistent window on the default store) may take an address that is
// already open in them.
struct RoutingWindow {
    Uuid id;
    int sequence = 0;
    bool sharedSession = false;
    std::vector<RoutingTab> tabs;
};

// The comparison forms of addresses (scheme and host in lower case, an empty path as "/"),
// remembered so that routing against many tabs parses each address once. Bounded: it forgets
// everything when it grows past its limit.
class AddressComparisonForms {
public:
    static constexpr std::size_t kLimit = 4096;
    const std::string& form(const std::string& address);

private:
    // Addresses of one site share their beginning: the end and the length tell them apart faster
    // than hashing the whole text (equal keys are still compared in full).
    struct TailHash {
        std::size_t operator()(const std::string& address) const;
    };
    std::unordered_map<std::string, std::string, TailHash> forms_;
};

// The first tab of `window` (in tab order) that is no start page and shows the same page as the
// comparison form `wanted`; none when there is none.
std::optional<Uuid> matchingTab(const RoutingWindow& window, const std::string& wanted, AddressComparisonForms& forms);

// The tab that already shows `address` and is to be brought forward instead of loading it again:
// the first match among the shared-session windows, oldest window (lowest sequence) first, leftmost
// tab first. None means the address goes to the main browser window.
std::optional<WebsiteWindowTarget> reusableTab(const std::vector<RoutingWindow>& windows, const std::string& address,
                                               AddressComparisonForms& forms);

}  // namespace quenlith
