#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/result.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The largest profiles.json read: the library's cap, far above any real list of websites.
inline constexpr std::uint64_t kProfilesFileSizeCap = 20'000'000;

// Reads and writes one profiles.json-shaped file. Holds only the path; every call goes to the
// disk, and failures are handed back unchanged for the caller to present.
class ProfilePersistence {
public:
    explicit ProfilePersistence(std::string fileURL) : fileURL_(std::move(fileURL)) {}

    const std::string& fileURL() const { return fileURL_; }

    // The websites of the file: none when it does not exist; repeated ids dropped (the first
    // wins), every record normalised, stably sorted by sortOrder. Never part of a file.
    Result<std::vector<WebAppProfile>> load() const;

    // Writes the websites pretty-printed with sorted keys, after copying the current file byte for
    // byte to "<file>.backup". A failed backup copy leaves the file untouched.
    Status save(const std::vector<WebAppProfile>& profiles) const;

private:
    std::string fileURL_;
};

// "<application folder>/profiles.json".
std::string defaultProfilesFilePath();

}  // namespace quenlith
