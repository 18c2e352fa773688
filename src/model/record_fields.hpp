#pragma once

// A record's fields, declared once: each names its JSON key, its member and the sets it belongs
// to. The one table reads and writes the record by the strict rules of json_coding.hpp (a plain
// member is required; an std::optional one is left out when absent and reads null as absent) and
// lets the record copy or compare the fields of a set without listing them again.

#include <optional>
#include <tuple>
#include <type_traits>

#include "model/json_coding.hpp"

namespace quenlith {

// Sets a field may belong to besides being stored.
enum class FieldSet : unsigned {
    none = 0,
    // Adjusted in an open window and carried between the window and the saved record.
    live = 1u << 0,
    // Belongs to the window of this record alone: a new account or a duplicated window starts
    // without it.
    notCopied = 1u << 1,
};

constexpr bool contains(FieldSet sets, FieldSet set) {
    return (static_cast<unsigned>(sets) & static_cast<unsigned>(set)) != 0;
}

template <typename Record, typename Member>
struct RecordField {
    const char* key;
    Member Record::*member;
    FieldSet sets = FieldSet::none;
};

template <typename Record, typename Member>
constexpr RecordField<Record, Member> field(const char* key, Member Record::*member,
                                            FieldSet sets = FieldSet::none) {
    return {key, member, sets};
}

// Writes one field by its rule: a plain value always, an optional one only when present.
template <typename T>
void writeField(Json& json, const char* key, const T& value) {
    if constexpr (json_detail::IsOptional<T>::value)
        writeOptional(json, key, value);
    else
        json[key] = value;
}

// Reads one field by its rule: a plain value is required, an optional one may be absent or null.
template <typename T>
void readField(const Json& json, const char* key, T& value) {
    if constexpr (json_detail::IsOptional<T>::value)
        readOptional(json, key, value);
    else
        readRequired(json, key, value);
}

template <typename Record, typename... Members>
class RecordFields {
public:
    constexpr explicit RecordFields(RecordField<Record, Members>... fields) : fields_(fields...) {}

    // Calls `visit(field)` for every field, in the order declared.
    template <typename Visit>
    constexpr void forEach(Visit&& visit) const {
        std::apply([&](const auto&... field) { (visit(field), ...); }, fields_);
    }

    void write(Json& json, const Record& record) const {
        json = Json::object();
        forEach([&](const auto& field) { writeField(json, field.key, record.*field.member); });
    }

    void read(const Json& json, Record& record) const {
        requireObject(json);
        forEach([&](const auto& field) { readField(json, field.key, record.*field.member); });
    }

private:
    std::tuple<RecordField<Record, Members>...> fields_;
};

}  // namespace quenlith
