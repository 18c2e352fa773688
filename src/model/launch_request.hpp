#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/uuid.hpp"

namespace quenlith {

// A link of the application's own scheme, parsed: open a website address, or open a page group.
// Links come from other programs, scripts and the page-group links the library copies.
struct LaunchRequest {
    enum class Kind { website, workspace };

    Kind kind = Kind::website;
    std::string url;  // website: the normalised http or https address
    Uuid id;          // workspace: the page group's id

    static LaunchRequest website(std::string url);
    static LaunchRequest workspace(const Uuid& id);

    // "quenlith://open?url=ADDRESS" or "quenlith://workspace?id=UUID": the scheme in any letter
    // case, the host and the one query item's name exactly as written, no user or password, an
    // empty or "/" path; the address must contain "://" and be an http or https website address
    // of at most kAddressByteLimit bytes. Anything else gives nothing. Never fails loudly.
    static std::optional<LaunchRequest> parse(std::string_view link);

    bool operator==(const LaunchRequest&) const = default;
};

}  // namespace quenlith
