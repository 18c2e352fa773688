#pragma once

#include <string>

#include <webkit2/webkit2.h>

namespace quenlith {

// The script world of the application's own page scripts: page scripts neither see nor replace
// what lives there, and the DOM is shared.
inline constexpr const char* kScriptWorld = "quenlith";

// Adds a user script in the application's world unless the manager already holds one with exactly
// this source (added through this function: the engine cannot list a manager's scripts, so the
// sources are recorded on the manager). Returns whether it was added.
bool addUserScriptOnce(WebKitUserContentManager* manager, const std::string& source,
                       WebKitUserContentInjectedFrames frames, WebKitUserScriptInjectionTime time);

// Whether the manager holds a script with exactly this source (added through addUserScriptOnce).
bool hasUserScript(WebKitUserContentManager* manager, const std::string& source);

}  // namespace quenlith
