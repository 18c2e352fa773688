#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/uuid.hpp"

namespace quenlith {

// Status texts of a download row. The downloads window shows them through the text lookup;
// "Could not save: %@" is stored already formatted, and a failure of the engine stores the
// engine's own description.
namespace download_status {
inline constexpr std::string_view chooseDestination = "Choose destination…";
inline constexpr std::string_view downloading = "Downloading…";
inline constexpr std::string_view complete = "Complete";
inline constexpr std::string_view couldNotSave = "Could not save: %@";
inline constexpr std::string_view destinationUnavailable = "Destination unavailable";
inline constexpr std::string_view cancelled = "Cancelled";
}  // namespace download_status

// One row of the downloads list; never written to disk.
struct DownloadEntry {
    Uuid id;
    std::string name;                        // "Download" until the engine suggests a file name
    std::string status;                      // one of download_status, or a failure description
    std::optional<std::string> destination;  // the chosen file path
    bool isActive = true;                    // from registration until the download ends
    std::int64_t received = 0;               // bytes written so far
    std::int64_t expected = 0;               // bytes announced by the response (0 when unknown)

    bool operator==(const DownloadEntry&) const = default;
};

}  // namespace quenlith
