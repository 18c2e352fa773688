#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quenlith {

// The parts of an address as the one set of address flags splits them; a part the address does
// not have is absent.
struct UriComponents {
    std::optional<std::string> scheme;
    std::optional<std::string> userinfo;
    std::optional<std::string> host;
    int port = -1;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

// Splits without resolving against a base (relative references too); nothing when the text is
// no address.
std::optional<UriComponents> splitUri(std::string_view address);
// Parses an absolute address; nothing for a relative reference or text that is no address.
std::optional<UriComponents> parseUri(std::string_view address);
// The host as the address is written (percent-encoding kept), or nothing when it has none or is
// no address.
std::optional<std::string> uriHost(std::string_view address);
// The text the components form; nothing when they form none.
std::optional<std::string> joinUri(const UriComponents& components);

}  // namespace quenlith
