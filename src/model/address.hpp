#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/result.hpp"
#include "model/search_engine.hpp"

namespace quenlith {

// An address is held as the text of an absolute URI that GUri parses with kUriFlags
// (model/uri_flags.hpp): ASCII only, international host names in their "xn--" form, characters
// that cannot appear in an address percent-encoded, everything else as the user or page wrote it.

// The website address for typed text, or nothing: surrounding white space trimmed, no white space
// inside, "https://" put in front when the text has no "://", http or https only, a host that
// contains "." or ":" (IPv6) or is exactly "localhost", and no user name or password. Letter case,
// port, path, query and fragment are kept. Text longer than kAddressByteLimit (model/address_limit.hpp)
// gives nothing before it is read.
std::optional<std::string> normalizedWebsiteURL(std::string_view text);

// Why typed text is not opened (the codes of resolveAddressInput's errors).
inline constexpr std::string_view kEmptyAddressInput = "addressInput.empty";
inline constexpr std::string_view kAddressWithCredentials = "addressInput.credentials";
inline constexpr std::string_view kAddressOfOtherScheme = "addressInput.scheme";
inline constexpr std::string_view kUnusableAddress = "addressInput.unusable";

// What the text of an address or search field opens: the website address when the trimmed text is
// one, else the engine's search address for it. Text written as an address is never searched for:
// one that carries a user name or password, has a scheme other than http and https ("file:///…",
// "ftp://…", "javascript:…") or is no usable website address ("https://intranet") is refused, and
// so is text any word of which is an address with a password. Without a scheme, "user:pass@host"
// is an address and a plain "me@example.com" an e-mail address to search for. The error carries
// the code and the message to show, which names the address without its credentials; empty text
// is refused with kEmptyAddressInput and no message, and text longer than kAddressByteLimit with
// kAddressTooLong.
Result<std::string> resolveAddressInput(std::string_view text, SearchEngine engine);

// True when the address may be saved, recorded in history or restored: a website address, within
// kAddressByteLimit also once escaped, that is not a sign-in page and carries none of the credential
// parameters in its query or fragment.
bool isCredentialFreeURL(std::string_view address);

// True for the pages of a sign-in flow: one of the identity providers' hosts, or a path with
// "/oauth/" in any letter case.
bool isSignInURL(std::string_view address);

// "/favicon.ico" on the scheme, host and port of an absolute address; nothing without a host.
std::optional<std::string> rootFaviconURL(std::string_view address);

// Parameter names (compared in lower case, whole) that mark an address as carrying a credential.
inline constexpr std::array<std::string_view, 17> kCredentialParameterNames = {
    "code",          "access_token", "id_token",   "refresh_token", "token",       "password",
    "api_key",       "apikey",       "secret",     "session",       "sessionid",   "authorization",
    "client_secret", "assertion",    "credential", "ticket",        "samlresponse"};

// The account sign-in hosts of large identity providers, compared in lower case, exactly.
inline constexpr std::array<std::string_view, 4> kSignInHosts = {
    "accounts.google.com", "login.microsoftonline.com", "login.live.com", "appleid.apple.com"};

}  // namespace quenlith
