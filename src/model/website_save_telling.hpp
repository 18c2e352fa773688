#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quenlith {

// Where a change of the saved websites comes from.
enum class WebsiteChange {
    // The person asked for it (a switch, a menu item, an editor's Save): it is confirmed only once
    // written, and every write of it that fails is told.
    asked,
    // A window keeps it by itself (its frame, whether it shows, its last page, its icon): a failed
    // write of it is told once, until a write succeeds.
    keptByWindow,
};

// What the application's own alert says about a failed write of the websites.
struct SaveFailureNotice {
    std::string title;
    std::string message;
    bool operator==(const SaveFailureNotice&) const = default;
};

// The writes of the saved websites, numbered as they are handed over, and which of their failures
// the application's alert tells, under which title. The store reports every change, write and
// outcome; a failure of the last write takes back every change not written. Main thread only.
class WebsiteSaveTelling {
public:
    // A change was made; it goes with the next write handed over.
    void changed(WebsiteChange kind);
    // A write is handed over with every change so far: its number, counting from 1.
    std::uint64_t handOver();
    // The number of the last write handed over; 0 before the first.
    std::uint64_t lastHandedOver() const { return handedOver_; }
    // Write `number` (and every one before it) reached the disk: the next failure is news again.
    void written(std::uint64_t number);
    // The changes not written were taken back where the caller tells it (a save it waited for
    // failed) or need no telling (a restore replaced them).
    void takenBack();
    // The last write failed with `message` and every change not written was taken back.
    // `toldWhereAsked`: the view where the person acted told it already. The notice, or none:
    // taken-back changes the person asked for are told every time; those windows keep by
    // themselves once, until a write succeeds.
    std::optional<SaveFailureNotice> failed(bool toldWhereAsked, const std::string& message);

private:
    std::uint64_t handedOver_ = 0;
    std::uint64_t written_ = 0;
    // The last write that carried an asked change; whether changes not handed over hold one.
    std::uint64_t askedUpTo_ = 0;
    bool askedWaiting_ = false;
    // The failure told last since a write succeeded.
    std::optional<std::string> told_;
};

}  // namespace quenlith
