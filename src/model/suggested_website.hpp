#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlith {

// One row of the built-in table of website suggestions (start page, launcher).
struct SuggestedWebsite {
    std::string id;           // also names its icon among the resources: "site-" + id
    std::string name;         // English; looked up in the interface language when shown or saved
    std::string address;      // https address
    std::string symbol;       // symbolic icon name drawn when the resources hold no image
    std::uint32_t color = 0;  // background of the symbol, 0xRRGGBB

    bool operator==(const SuggestedWebsite&) const = default;

    // The built-in rows, in their fixed order.
    static const std::vector<SuggestedWebsite>& all();

    // The comparison form of an address: host in lower case without one leading "www.", a path
    // of exactly "/" made empty; scheme, port, user, query and fragment as they were. An address
    // that does not split into parts is returned as it is.
    static std::string canonicalAddress(std::string_view address);

    // Whether the page lies on the website's host or one of its subdomains (hosts in lower case,
    // without one leading "www."); never for a website without a host.
    static bool hostMatches(std::string_view pageAddress, std::string_view websiteAddress);

    // The first row whose host equals the address's host (both in lower case, without one leading
    // "www."); subdomains do not match.
    static std::optional<SuggestedWebsite> matching(std::string_view address);
};

}  // namespace quenlith
