#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/result.hpp"

namespace quenlith {

// The steps of clearing website data, in the order they run; the application fills them from the
// downloads, the window manager, the data stores and the stores. Steps that answer a Boolean or a
// Status report whether they succeeded.
struct WebsiteDataClearingSteps {
    std::function<void()> cancelDownloads;
    // Closes every browser window and forgets the session; from here on nothing opens.
    std::function<void()> closeWindowsAndForgetSession;
    std::function<void(const std::vector<std::string>& types, std::function<void(Status)> done)> removeData;
    // Deletes the session file and its backup; true when neither is left.
    std::function<bool()> removeSessionFiles;
    std::function<bool()> clearHistory;
    std::function<bool()> clearLastAddresses;
    // Windows may open again.
    std::function<void()> endReset;
};

struct WebsiteDataClearingResult {
    bool succeeded = false;
    // What was not cleared, as a sentence for the user; none on success.
    std::optional<std::string> message;
    // The website data and the saved session are gone, whatever became of the browsing records.
    bool sessionCleared = false;
};

// Clears the website data: downloads cancelled, windows closed and the session forgotten, the
// data types removed from every store, the session files deleted and, when `everything` is asked
// for, the history and the websites' last addresses cleared (both always tried). The result is a
// success only when every step succeeded; otherwise its message names what was not cleared.
// `done` runs once, after the windows may open again.
void clearWebsiteData(const WebsiteDataClearingSteps& steps, const std::vector<std::string>& types,
                      bool everything, std::function<void(WebsiteDataClearingResult)> done);

}  // namespace quenlith

namespace quenlith {

// What the settings' Privacy pane asks to clear.
enum class PrivacyAction { cookies, cache, all };

struct WebsiteDataClearingRequest {
    std::vector<std::string> types;  // the engine's names of the kinds of website data
    bool everything = false;         // history and the websites' last addresses too
    bool operator==(const WebsiteDataClearingRequest&) const = default;
};

// Cookies alone; the memory, disk and fetch caches alone; or every kind with history and last
// addresses.
WebsiteDataClearingRequest clearingRequest(PrivacyAction action);

// The settings' status line after a clear: "Selected website data cleared." only when everything
// was cleared; when only the browsing records (history, last addresses) stayed, that the session
// was cleared without them; else that some data could not be cleared and what.
std::string clearingStatusMessage(const WebsiteDataClearingResult& result);

}  // namespace quenlith
