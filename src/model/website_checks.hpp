#pragma once

// What a saved website must meet that WebAppProfile::normalize() cannot repair: the editor refuses
// to save such a website, and a backup holding one is refused.

#include <optional>
#include <string>
#include <string_view>

#include "model/result.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// Nothing when `name` may be saved: some text besides white space, and no U+0000, which no window
// title, label or tray tooltip can carry. Else the editor's message.
std::optional<std::string> websiteNameMessage(std::string_view name);

// The normalised home address of `homeURL`, or the editor's message: over the address limit, or no
// HTTP or HTTPS address.
Result<std::string> checkedWebsiteAddress(std::string_view homeURL);

// Nothing when `website` may be kept as it is once normalised: its name, its home address and the
// endpoint of its own proxy pass the editor's checks. Else the first message, in the editor's order.
std::optional<std::string> websiteRecordMessage(const WebAppProfile& website);

}  // namespace quenlith
