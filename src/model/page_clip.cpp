#include "model/page_clip.hpp"

#include "model/logging.hpp"
#include "model/address.hpp"
#include "model/deduplication.hpp"
#include "model/json_coding.hpp"

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

void to_json(Json& json, const PageClip& clip) {
    json = Json::object();
    json["id"] = clip.id;
    json["title"] = clip.title;
    json["address"] = clip.address;
    json["text"] = clip.text;
    json["collection"] = clip.collection;
    json["modified"] = clip.modified;
    writeOptional(json, "readingState", clip.readingState);
    writeOptional(json, "readingPosition", clip.readingPosition);
    writeOptional(json, "profileID", clip.profileID);
    writeOptional(json, "windowSession", clip.windowSession);
}

void from_json(const Json& json, PageClip& clip) {
    requireObject(json);
    readRequired(json, "id", clip.id);
    readRequired(json, "title", clip.title);
    readRequired(json, "address", clip.address);
    readRequired(json, "text", clip.text);
    readRequired(json, "collection", clip.collection);
    readRequired(json, "modified", clip.modified);
    readOptional(json, "readingState", clip.readingState);
    readOptional(json, "readingPosition", clip.readingPosition);
    readOptional(json, "profileID", clip.profileID);
    readOptional(json, "windowSession", clip.windowSession);
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
