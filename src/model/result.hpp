#pragma once

#include <string>
#include <utility>
#include <variant>

namespace quenlith {

// An expected failure: a stable code for callers and tests, and the localised sentence shown to
// the user.
struct Error {
    std::string code;
    std::string message;
    bool operator==(const Error&) const = default;
};

// A value or an Error. Expected failures travel as values, never as exceptions.
template <typename T>
class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(state_); }
    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { return std::get<Error>(state_); }

private:
    std::variant<T, Error> state_;
};

// Success with no value.
struct Done {
    bool operator==(const Done&) const = default;
};
using Status = Result<Done>;
inline Status success() { return Done{}; }

}  // namespace quenlith
