#include "model/history_visit.hpp"

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

namespace {

constexpr RecordFields kFields{
    field("id", &HistoryVisit::id),
    field("address", &HistoryVisit::address),
    field("title", &HistoryVisit::title),
    field("date", &HistoryVisit::date),
};

}  // namespace

void to_json(Json& json, const HistoryVisit& visit) {
    kFields.write(json, visit);
}

void from_json(const Json& json, HistoryVisit& visit) {
    kFields.read(json, visit);
}

}  // namespace quenlith
