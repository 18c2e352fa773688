#include "model/clip_draft.hpp"

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/library_text.hpp"

namespace quenlith {

bool canSaveClip(const PageClip& draft) {
    auto address = normalizedWebsiteURL(draft.address);
    // Escaping may lengthen the address as typed: the library keeps none over the limit.
    if (!address || !isWithinAddressLimit(*address)) return false;
    if (draft.readingState && !isCredentialFreeURL(*address)) return false;
    return hasAtMostCharacters(draft.title, 500) && hasAtMostCharacters(draft.text, 200'000) &&
           hasAtMostCharacters(draft.collection, 100);
}

void setDraftAddress(PageClip& draft, std::string address) {
    if (address == draft.address) return;
    draft.address = std::move(address);
    draft.readingPosition.reset();
}

void setDraftReadLater(PageClip& draft, bool on) {
    if (on) {
        if (!draft.readingState) draft.readingState = ReadingState::unread;
        return;
    }
    draft.readingState.reset();
    draft.readingPosition.reset();
}

PageClip blankClip(Date now, std::optional<ReadingState> state) {
    PageClip clip;
    clip.id = Uuid::random();
    clip.modified = now;
    clip.readingState = state;
    return clip;
}

bool canQueueForReadLater(std::string_view address) {
    auto website = normalizedWebsiteURL(address);
    return website && isCredentialFreeURL(*website);
}

}  // namespace quenlith
