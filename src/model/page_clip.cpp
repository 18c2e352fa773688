#include "model/page_clip.hpp"

#include "model/logging.hpp"
#include "model/address.hpp"
#include "model/deduplication.hpp"
#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

std::string_view rawValue(ReadingState state) {
    switch (state) {
    case ReadingState::unread:
        return "unread";
    case ReadingState::finished:
        return "finished";
    }
    return "unread";
}

void to_json(Json& json, const ReadingState& state) { json = std::string(rawValue(state)); }

void from_json(const Json& json, ReadingState& state) {
    std::string text;
    decodeValue(json, text);
    if (text == "unread")
        state = ReadingState::unread;
    else if (text == "finished")
        state = ReadingState::finished;
    else
        throw JsonDecodingError("unknown reading state " + quotedForLog(text));
}

namespace {

constexpr RecordFields kFields{
    field("id", &PageClip::id),
    field("title", &PageClip::title),
    field("address", &PageClip::address),
    field("text", &PageClip::text),
    field("collection", &PageClip::collection),
    field("modified", &PageClip::modified),
    field("readingState", &PageClip::readingState),
    field("readingPosition", &PageClip::readingPosition),
    field("profileID", &PageClip::profileID),
    field("windowSession", &PageClip::windowSession),
};

}  // namespace

void to_json(Json& json, const PageClip& clip) {
    kFields.write(json, clip);
}

void from_json(const Json& json, PageClip& clip) {
    kFields.read(json, clip);
}

bool PageClip::matches(std::string_view url, const std::optional<Uuid>& otherProfileID,
                       const std::optional<WindowSessionReference>& otherSession) const {
    if (profileID != otherProfileID) return false;
    std::optional<Uuid> mine = windowSession ? std::optional<Uuid>(windowSession->identifier) : std::nullopt;
    std::optional<Uuid> theirs = otherSession ? std::optional<Uuid>(otherSession->identifier) : std::nullopt;
    if (mine != theirs) return false;
    auto normalized = normalizedWebsiteURL(address);
    if (!normalized) return false;
    return deduplicationKey(*normalized) == deduplicationKey(url);
}

}  // namespace quenlith
