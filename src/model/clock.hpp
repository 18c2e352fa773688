#pragma once

#include <compare>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// A point in time as the application's files store it: seconds, with fraction, since
// 2001-01-01 00:00:00 UTC. Kept as the number itself so a date read from a file is written back
// bit for bit.
struct Date {
    double secondsSinceReferenceDate = 0;

    // Seconds between 1970-01-01 and 2001-01-01.
    static constexpr double kReferenceDateUnixSeconds = 978307200.0;

    static Date fromUnixSeconds(double seconds) { return Date{seconds - kReferenceDateUnixSeconds}; }
    double unixSeconds() const { return secondsSinceReferenceDate + kReferenceDateUnixSeconds; }
    Date adding(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }
    // Seconds from `earlier` to this date (negative when this date is earlier).
    double secondsSince(Date earlier) const { return secondsSinceReferenceDate - earlier.secondsSinceReferenceDate; }

    auto operator<=>(const Date&) const = default;
};

// JSON form: a number; anything else fails decoding.
void to_json(nlohmann::json& json, const Date& date);
void from_json(const nlohmann::json& json, Date& date);

// Wall-clock time. Code that reads "now" takes a Clock so tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

class SystemClock final : public Clock {
public:
    Date now() const override;
};

// The process-wide system clock.
Clock& systemClock();

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Date start = Date::fromUnixSeconds(1700000000.0)) : now_(start) {}
    Date now() const override { return now_; }
    void set(Date date) { now_ = date; }
    void advance(double seconds) { now_ = now_.adding(seconds); }

private:
    Date now_;
};

}  // namespace quenlith
