#pragma once

// Small text helpers shared by the address functions.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlith {

// The text without leading and trailing Unicode white space and line breaks. `text` is UTF-8.
std::string_view trimmedText(std::string_view text);
// True when any character of the UTF-8 text is Unicode white space (line breaks and no-break
// spaces included).
bool containsWhiteSpace(std::string_view text);
// The runs of the UTF-8 text between white space, in order.
std::vector<std::string_view> whiteSpaceSeparatedWords(std::string_view text);

// ASCII letters in lower case (scheme and host names).
std::string asciiLowercased(std::string_view text);
// Unicode lower case for valid UTF-8, ASCII lower case otherwise.
std::string lowercased(std::string_view text);

// "%XX" escapes decoded; a "%" that starts no escape stays as it is.
std::string percentDecoded(std::string_view text);

// The decoded name of every "&"-separated item of a query-style parameter text ("name=value",
// "name" alone, "=value"), empty items skipped. Unlike the platform's strict parameter parser,
// one malformed item does not hide the others.
void forEachParameterName(std::string_view parameters, const std::function<void(const std::string&)>& visit);

// A host as it is written inside an address: characters outside RFC 3986's host characters (and
// the "%" of an IPv6 zone) percent-encoded.
std::string encodedHost(std::string_view host);

// The host in lower case without one leading "www." label.
std::string comparableHost(std::string_view host);

}  // namespace quenlith
