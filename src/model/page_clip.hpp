#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "model/clock.hpp"
#include "model/uuid.hpp"
#include "model/window_session_reference.hpp"

namespace quenlith {

// The Read Later state of a saved page; absent means the page is not in Read Later.
enum class ReadingState { unread, finished };

std::string_view rawValue(ReadingState state);  // "unread", "finished"
void to_json(nlohmann::json& json, const ReadingState& state);
void from_json(const nlohmann::json& json, ReadingState& state);

// A saved page: a bookmark with an optional excerpt and collection, and a Read Later entry when
// its reading state is set.
struct PageClip {
    Uuid id;
    std::string title;
    std::string address;
    std::string text;
    std::string collection;
    Date modified;
    std::optional<ReadingState> readingState;
    std::optional<double> readingPosition;
    std::optional<Uuid> profileID;
    std::optional<WindowSessionReference> windowSession;

    bool operator==(const PageClip&) const = default;

    // Whether this clip is the saved form of `url` in that website and data-store session: same
    // website id, same session identifier (proxies not compared), and the same page by the
    // address comparison key.
    bool matches(std::string_view url, const std::optional<Uuid>& profileID,
                 const std::optional<WindowSessionReference>& windowSession) const;
};

void to_json(nlohmann::json& json, const PageClip& clip);
void from_json(const nlohmann::json& json, PageClip& clip);

}  // namespace quenlith
