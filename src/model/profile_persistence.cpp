#include "model/profile_persistence.hpp"

#include <algorithm>
#include <unordered_set>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/profile_document.hpp"

namespace quenlith {

std::optional<ProfileRecordProblem> profileRecordProblem(const Json& document) {
    if (!document.is_object()) return std::nullopt;
    auto records = document.find("profiles");
    if (records == document.end() || !records->is_array()) return std::nullopt;
    for (std::size_t i = 0; i < records->size(); ++i) {
        const Json& record = (*records)[i];
        std::string error;
        if (decodeJson<WebAppProfile>(record, &error)) continue;
        ProfileRecordProblem problem;
        problem.index = i + 1;
        if (record.is_object())
            if (auto name = record.find("name"); name != record.end() && name->is_string())
                problem.name = name->get<std::string>();
        // The decoder names the first key it could not read: `missing key "x"` or `key "x": …`.
        const auto open = error.find('"');
        const auto close = open == std::string::npos ? open : error.find('"', open + 1);
        problem.field = close == std::string::npos ? error : error.substr(open + 1, close - open - 1);
        return problem;
    }
    return std::nullopt;
}

std::string defaultProfilesFilePath() { return applicationDataDirectory() + "/profiles.json"; }

Result<std::vector<WebAppProfile>> ProfilePersistence::loadEveryRecord() const {
    std::vector<WebAppProfile> setAside;
    auto read = load(&setAside);
    if (read) read->insert(read->end(), setAside.begin(), setAside.end());
    return read;
}

Result<std::vector<WebAppProfile>> ProfilePersistence::load(std::vector<WebAppProfile>* setAside) const {
    if (!files::pathExists(fileURL_)) return std::vector<WebAppProfile>{};
    auto bytes = files::readWholeFile(fileURL_, kProfilesFileSizeCap);
    if (!bytes) return bytes.error();
    auto json = parseJsonText(*bytes);
    if (!json) return files::corruptFileError(fileURL_);
    auto document = decodeJson<ProfileDocument>(*json);
    if (!document) {
        if (auto problem = profileRecordProblem(*json)) {
            logError(LogCategory::lifecycle, "Website record " + std::to_string(problem->index) + " (" +
                                                 quotedForLog(problem->name) + ") of " + fileURL_ +
                                                 " has no valid " + quotedForLog(problem->field));
            // The message is shown whole, in labels and alerts: a name of any length by its beginning.
            return Error{std::string(kProfileRecordUnreadable),
                         localizedFormat("Website %ld (“%@”) has no valid “%@”.",
                                         {static_cast<long>(problem->index),
                                          shownName(problem->name, kShownTitleCharacters), problem->field})};
        }
        return files::corruptFileError(fileURL_);
    }
    if (document->version != 1) return files::unknownReadError(fileURL_);

    std::vector<WebAppProfile> profiles;
    profiles.reserve(document->profiles.size());
    std::unordered_set<Uuid> seen;
    std::size_t dropped = 0;
    for (auto& profile : document->profiles) {
        if (!seen.insert(profile.id).second) {
            ++dropped;
            if (setAside) setAside->push_back(std::move(profile));
            continue;
        }
        profile.normalize();
        profiles.push_back(std::move(profile));
    }
    if (dropped > 0)
        logError(LogCategory::lifecycle,
                 "Dropped " + std::to_string(dropped) + " website record(s) with a repeated id while reading " + fileURL_);
    std::stable_sort(profiles.begin(), profiles.end(),
                     [](const WebAppProfile& a, const WebAppProfile& b) { return a.sortOrder < b.sortOrder; });
    return profiles;
}

Status ProfilePersistence::save(const std::vector<WebAppProfile>& profiles) const {
    if (auto folder = files::createParentFolder(fileURL_); !folder) return folder;
    auto encoded = encodeProfileDocument(profiles, JsonStyle::pretty);
    if (!encoded) return files::encodingError(fileURL_);
    if (files::pathExists(fileURL_)) {
        if (auto copied = files::copyToBackup(fileURL_, kProfilesFileSizeCap); !copied) return copied;
    }
    return files::writeFileAtomically(fileURL_, *encoded);
}

}  // namespace quenlith
