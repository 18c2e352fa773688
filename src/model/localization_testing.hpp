#pragma once

// Internals of the text lookup, exposed for tests only: the language resolution as a pure
// function and a way to resolve again within one process.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenlith::localization_testing {

// The effective language code ("en" or "zh-Hans") for a stored choice and the user's preferred
// languages, most preferred first, in the environment's spelling ("zh_CN.UTF-8", "fr", "zh-Hans").
std::string resolveLanguageCode(const std::optional<std::string>& storedChoice,
                                const std::vector<std::string>& preferredLanguages);

// The preferred languages of the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), without the
// generalised variants the platform appends to each entry.
std::vector<std::string> preferredLanguagesFromEnvironment();

// The environment variables that make gettext serve the language chosen in Quenlith (the stored
// choice: "en" or "zh-Hans"; any other leaves the system's languages alone, web pages' included)
// to the toolkits, given the current values of the variables (nothing for one unset) and which
// locales the C library has: LANGUAGE, and where the messages locale is "C" or missing (gettext
// then ignores LANGUAGE) the UTF-8 C locale.
std::vector<std::pair<std::string, std::string>> toolkitLanguageVariables(
    const std::optional<std::string>& storedChoice,
    const std::function<std::optional<std::string>(const char*)>& current,
    const std::function<bool(const std::string&)>& localeExists);

// Forgets the resolved language, catalog and locale; the next lookup resolves them again from the
// current environment, settings file and resources.
void reset();

// The code resolved for this process (resolving it if needed).
std::string effectiveLanguageCode();

}  // namespace quenlith::localization_testing
