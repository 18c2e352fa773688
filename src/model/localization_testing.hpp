#pragma once

// Internals of the text lookup, exposed for tests only: the language resolution as a pure
// function and a way to resolve again within one process.

#include <optional>
#include <string>
#include <vector>

namespace quenlith::localization_testing {

// The effective language code ("en" or "zh-Hans") for a stored choice and the user's preferred
// languages, most preferred first, in the environment's spelling ("zh_CN.UTF-8", "fr", "zh-Hans").
std::string resolveLanguageCode(const std::optional<std::string>& storedChoice,
                                const std::vector<std::string>& preferredLanguages);

// The preferred languages of the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), without the
// generalised variants the platform appends to each entry.
std::vector<std::string> preferredLanguagesFromEnvironment();

// Forgets the resolved language, catalog and locale; the next lookup resolves them again from the
// current environment, settings file and resources.
void reset();

// The code resolved for this process (resolving it if needed).
std::string effectiveLanguageCode();

}  // namespace quenlith::localization_testing
