#include "model/website_checks.hpp"

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

std::optional<std::string> websiteNameMessage(std::string_view name) {
    if (trimmedWhitespaceAndNewlines(name).empty() || name.find('\0') != std::string_view::npos)
        return localizedString("Enter a name for this website.");
    return std::nullopt;
}

Result<std::string> checkedWebsiteAddress(std::string_view homeURL) {
    if (!isWithinAddressLimit(homeURL)) return Error{std::string(kAddressTooLong), addressTooLongMessage()};
    auto address = normalizedWebsiteURL(homeURL);
    if (!address) return Error{"website.address", localizedString("Enter a valid HTTP or HTTPS website URL.")};
    return std::move(*address);
}

std::optional<std::string> websiteRecordMessage(const WebAppProfile& website) {
    if (auto message = websiteNameMessage(website.name)) return message;
    if (auto address = checkedWebsiteAddress(website.homeURL); !address) return address.error().message;
    if (website.siteProxy) return website.siteProxy->validationMessage();
    return std::nullopt;
}

}  // namespace quenlith
