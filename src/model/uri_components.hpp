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
// The address without its user name and password, the rest as written; text without them, or
// that is no address, comes back unchanged. Every address a page or the user hands over goes
// through this before it is kept, so no credential is stored with it.
std::string withoutCredentials(std::string_view address);

// The user name and password an address carries, decoded, and the host they are for.
struct UriCredentials {
    std::string user;
    std::string password;
    std::string host;
    bool operator==(const UriCredentials&) const = default;
};
// Nothing when the address carries neither (or has no host).
std::optional<UriCredentials> uriCredentials(std::string_view address);

}  // namespace quenlith
