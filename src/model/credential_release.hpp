#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/credential_users.hpp"

namespace quenlith {

// The one answer to whether a proxy password may go from the keyring, for the start's sweep and
// for every let-go of a credential a save replaced or an edit gave up. Of `candidates`, those
// nothing names: not the saved files (each with its backup, its recovery copies and the records
// set aside for a repeated id, read off the main thread), and then, on the main loop, not
// `inUseNow` (what the application holds: the stores, the windows, the global proxy). `done`
// answers on the main loop with each unused one once, in order; with nothing (no list) while a
// saved file cannot be read.
void findUnusedCredentials(std::vector<std::string> candidates, SavedCredentialFiles files,
                           std::function<bool(const std::string&)> inUseNow,
                           std::function<void(std::optional<std::vector<std::string>>)> done);

// The searches above not answered yet (main thread): the tests wait for zero.
int credentialSearchesInFlight();

// The step on the main loop: what `candidates` leaves once `saved` (the files as read) and
// `inUseNow` have been asked; nothing while a saved file could not be read.
std::optional<std::vector<std::string>> unusedOf(const std::vector<std::string>& candidates,
                                                 const CredentialUsers& saved,
                                                 const std::function<bool(const std::string&)>& inUseNow);

}  // namespace quenlith
