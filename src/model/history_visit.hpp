#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "model/clock.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// One visited page of the browsing history.
struct HistoryVisit {
    Uuid id;
    std::string address;  // absolute address text
    std::string title;
    Date date;

    bool operator==(const HistoryVisit&) const = default;
};

void to_json(nlohmann::json& json, const HistoryVisit& visit);
void from_json(const nlohmann::json& json, HistoryVisit& visit);

}  // namespace quenlith
