#include "model/linked_application_choice.hpp"

#include <algorithm>
#include <set>

#include <glib.h>

#include "model/web_app_profile.hpp"

namespace quenlith {

namespace {

bool containsID(const std::vector<LinkedApplication>& list, const std::string& id) {
    return std::any_of(list.begin(), list.end(),
                       [&](const LinkedApplication& entry) { return entry.id == id; });
}

std::string foldedName(const std::string& name) {
    char* folded = g_utf8_casefold(name.c_str(), -1);
    std::string result = folded ? folded : name;
    g_free(folded);
    return result;
}

}  // namespace

std::vector<LinkedApplication> chooserApplications(const std::vector<LinkedApplication>& installed) {
    std::vector<LinkedApplication> result;
    std::set<std::string> seen;
    for (const auto& entry : installed) {
        if (entry.id.empty() || entry.id == kOwnDesktopFileID) continue;
        if (!seen.insert(entry.id).second) continue;
        result.push_back(entry);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const LinkedApplication& a, const LinkedApplication& b) {
                         return foldedName(a.name) < foldedName(b.name);
                     });
    return result;
}

std::vector<LinkedApplication> addLinkedApplications(
    const std::optional<std::vector<LinkedApplication>>& current,
    const std::vector<LinkedApplication>& chosen) {
    std::vector<LinkedApplication> list = current.value_or(std::vector<LinkedApplication>{});
    for (const auto& entry : chosen) {
        if (entry.id.empty() || entry.id == kOwnDesktopFileID || containsID(list, entry.id)) continue;
        list.push_back(entry);
    }
    if (list.size() > kMaximumLinkedApplications) list.resize(kMaximumLinkedApplications);
    return list;
}

std::optional<std::vector<LinkedApplication>> removeLinkedApplication(
    const std::optional<std::vector<LinkedApplication>>& current, const std::string& id) {
    if (!current) return std::nullopt;
    auto list = *current;
    std::erase_if(list, [&](const LinkedApplication& entry) { return entry.id == id; });
    return list;
}

}  // namespace quenlith
