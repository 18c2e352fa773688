#include "model/clock.hpp"

#include <glib.h>

#include "model/json_coding.hpp"

namespace quenlith {

void to_json(Json& json, const Date& date) { json = date.secondsSinceReferenceDate; }

void from_json(const Json& json, Date& date) { decodeValue(json, date.secondsSinceReferenceDate); }

Date SystemClock::now() const {
    return Date::fromUnixSeconds(static_cast<double>(g_get_real_time()) / 1'000'000.0);
}

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace quenlith
