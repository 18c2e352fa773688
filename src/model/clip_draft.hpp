#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/clock.hpp"
#include "model/page_clip.hpp"

namespace quenlith {

// The rules of the save-page sheet's draft, shared by its two hosts (the library window's sheet
// and the "Save Page / Selection" window).

// Whether Save may run: the address normalises to a website address, a Read Later draft's
// address carries no credential, and the title, excerpt and collection keep to 500, 200,000 and
// 100 user-perceived characters as typed (the store trims later). An empty title is allowed.
bool canSaveClip(const PageClip& draft);

// A new address; a changed address drops the reading position, which belongs to the old page.
void setDraftAddress(PageClip& draft, std::string address);

// "Add to Read Later": on makes the draft unread (a finished one stays finished); off takes it
// out of Read Later together with its position.
void setDraftReadLater(PageClip& draft, bool on);

// A blank page for "Add Bookmark" (no reading state) or "Add Link" (unread).
PageClip blankClip(Date now, std::optional<ReadingState> state = std::nullopt);

// Whether a saved page may be queued for Read Later: its address normalises and is free of
// credentials.
bool canQueueForReadLater(std::string_view address);

}  // namespace quenlith
