#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// A 128-bit identifier. Written as upper-case hyphenated text; read in either case.
class Uuid {
public:
    Uuid() = default;  // the nil identifier; use random() for a fresh one

    static Uuid random();
    static std::optional<Uuid> parse(std::string_view text);

    std::string string() const;  // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"
    bool isNil() const;

    auto operator<=>(const Uuid&) const = default;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, 16> bytes_{};
};

// Every UUID spelled out in `text` (either case), in order: what a damaged file still names.
std::vector<Uuid> uuidsNamedIn(std::string_view text);

// JSON form: the text; a string that is not a UUID fails decoding.
void to_json(nlohmann::json& json, const Uuid& uuid);
void from_json(const nlohmann::json& json, Uuid& uuid);

}  // namespace quenlith

template <>
struct std::hash<quenlith::Uuid> {
    std::size_t operator()(const quenlith::Uuid& uuid) const noexcept;
};
