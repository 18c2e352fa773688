#pragma once

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

// Decides which failed writes of the websites the application's alert tells, and under which
// title; the store feeds it every outcome of its writes. Main thread only.
class WebsiteSaveTelling {
public:
    // A write failed with `message`. `carriedAsked`: it carried a change the person asked for
    // (itself or through an earlier write it replaced). `toldWhereAsked`: the view where the person
    // acted told the failure already. The notice to show, or none.
    std::optional<SaveFailureNotice> failed(bool carriedAsked, bool toldWhereAsked,
                                            const std::string& message);
    // A write reached the disk: the next failure is news again.
    void written();

private:
    // The failure told last since a write succeeded.
    std::optional<std::string> told_;
};

}  // namespace quenlith
