#include "model/history_visit.hpp"

#include "model/json_coding.hpp"

namespace quenlith {

void to_json(Json& json, const HistoryVisit& visit) {
    json = Json::object();
    json["id"] = visit.id;
    json["address"] = visit.address;
    json["title"] = visit.title;
    json["date"] = visit.date;
}

void from_json(const Json& json, HistoryVisit& visit) {
    requireObject(json);
    readRequired(json, "id", visit.id);
    readRequired(json, "address", visit.address);
    readRequired(json, "title", visit.title);
    readRequired(json, "date", visit.date);
}

}  // namespace quenlith
