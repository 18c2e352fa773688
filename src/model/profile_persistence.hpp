#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/json_coding.hpp"
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
    // wins), every record normalised, stably sorted by sortOrder. Never part of a file. The
    // records dropped for a repeated id go to `setAside`, in file order, when one is given.
    Result<std::vector<WebAppProfile>> load(std::vector<WebAppProfile>* setAside = nullptr) const;
    // Every record the file holds, those a load sets aside for a repeated id after the others: what
    // the file still names (sessions, proxy passwords) when nothing may be lost.
    Result<std::vector<WebAppProfile>> loadEveryRecord() const;

    // Writes the websites pretty-printed with sorted keys, after copying the current file byte for
    // byte to "<file>.backup". A failed backup copy leaves the file untouched.
    Status save(const std::vector<WebAppProfile>& profiles) const;

private:
    std::string fileURL_;
};

// The error code of a file whose document is sound but one of whose records is not; its message
// names the record and the field.
inline constexpr const char* kProfileRecordUnreadable = "profiles.recordUnreadable";

// The first website record of a profiles.json document that does not decode: its position
// (counted from 1), its name when it has one, and the key that is missing or wrong.
struct ProfileRecordProblem {
    std::size_t index = 0;
    std::string name;
    std::string field;
    bool operator==(const ProfileRecordProblem&) const = default;
};
std::optional<ProfileRecordProblem> profileRecordProblem(const Json& document);

// "<application folder>/profiles.json".
std::string defaultProfilesFilePath();

}  // namespace quenlith
