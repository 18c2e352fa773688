#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/linked_application.hpp"

namespace quenlith {

// The desktop-file id of this application, never offered as a linked application.
inline constexpr std::string_view kOwnDesktopFileID = "com.quenlith.Quenlith.desktop";

// The applications the chooser offers from the installed desktop entries (in the order found):
// this application skipped, entries without an id skipped, an id seen before (the same entry in
// another data folder) merged into its first occurrence, sorted by name without regard to case.
std::vector<LinkedApplication> chooserApplications(const std::vector<LinkedApplication>& installed);

// The linked list after the user chose `chosen` (in the chooser's order): this application and
// ids already in the list (also those added earlier in this pass) skipped, then cut to the first
// 20. An absent list counts as empty and comes back as a list even when nothing was added.
std::vector<LinkedApplication> addLinkedApplications(
    const std::optional<std::vector<LinkedApplication>>& current,
    const std::vector<LinkedApplication>& chosen);

// The list without every entry of `id`; an absent list stays absent, the last removal leaves an
// empty list.
std::optional<std::vector<LinkedApplication>> removeLinkedApplication(
    const std::optional<std::vector<LinkedApplication>>& current, const std::string& id);

}  // namespace quenlith
