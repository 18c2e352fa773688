#include "model/uuid.hpp"

#include <glib.h>

#include <nlohmann/json.hpp>

#include "model/logging.hpp"
#include "model/json_coding.hpp"

namespace quenlith {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Uuid Uuid::random() {
    char* text = g_uuid_string_random();
    auto uuid = parse(text);
    g_free(text);
    return *uuid;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Uuid uuid;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        int high = hexValue(text[i]);
        int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        uuid.bytes_[byte++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    return uuid;
}

std::vector<Uuid> uuidsNamedIn(std::string_view text) {
    constexpr std::size_t kLength = 36;  // 8-4-4-4-12
    std::vector<Uuid> named;
    for (std::size_t at = 0; at + kLength <= text.size(); ++at) {
        if (text[at + 8] != '-' || text[at + 13] != '-' || text[at + 18] != '-' || text[at + 23] != '-')
            continue;
        if (auto uuid = Uuid::parse(text.substr(at, kLength))) named.push_back(*uuid);
    }
    return named;
}

std::string Uuid::string() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
        text.push_back(digits[bytes_[i] >> 4]);
        text.push_back(digits[bytes_[i] & 0x0F]);
    }
    return text;
}

bool Uuid::isNil() const {
    for (auto b : bytes_)
        if (b != 0) return false;
    return true;
}

void to_json(nlohmann::json& json, const Uuid& uuid) { json = uuid.string(); }

void from_json(const nlohmann::json& json, Uuid& uuid) {
    if (!json.is_string()) throw JsonDecodingError("expected a UUID string");
    auto parsed = Uuid::parse(json.get_ref<const std::string&>());
    if (!parsed) throw JsonDecodingError("not a UUID: " + quotedForLog(json.get_ref<const std::string&>()));
    uuid = *parsed;
}

}  // namespace quenlith

std::size_t std::hash<quenlith::Uuid>::operator()(const quenlith::Uuid& uuid) const noexcept {
    std::size_t h = 1469598103934665603ull;
    for (auto b : uuid.bytes()) h = (h ^ b) * 1099511628211ull;
    return h;
}
