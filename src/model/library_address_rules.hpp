#pragma once

// The address rules the library and the session snapshot apply, in one place: which text is a
// website address, which addresses may be kept, and when two addresses name the same page.

#include <optional>
#include <string>
#include <string_view>

namespace quenlith {

// The website address for `text` (the address normaliser), or nothing.
std::optional<std::string> acceptedWebsiteAddress(std::string_view text);

// True when `address` may be saved, recorded or restored (no sign-in page, no token parameters).
bool isKeepableAddress(std::string_view address);

// The comparison text of an address: equal texts mean the same page.
std::string pageComparisonKey(std::string_view address);

}  // namespace quenlith
