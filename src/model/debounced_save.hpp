#pragma once

// When a delayed save runs. A change waits for a quiet moment, but never longer than a ceiling
// from the first change not yet saved: a page that changes every few tenths of a second cannot put
// the save off for ever, and other changes reach the disk a bounded time after they happen. A save
// may find that what changed matters little (only a page's title) and hold it back; it is then
// asked again once the hold has lasted its own while, and saves whatever it finds.

#include <chrono>
#include <functional>

#include "model/scheduler.hpp"

namespace quenlith {

// The longest a change waits behind later ones before the application writes it.
inline constexpr std::chrono::milliseconds kSaveCeiling{3'000};

class DebouncedSave {
public:
    struct Delays {
        // Quiet time after the last change.
        std::chrono::milliseconds quiet;
        // At most this long after the first change not yet saved.
        std::chrono::milliseconds ceiling = kSaveCeiling;
        // How long changes held back may wait, from the first hold.
        std::chrono::milliseconds held = std::chrono::seconds(10);
    };
    // Whether the save may hold its changes back.
    enum class Call { mayHold, mustSave };
    // Returns false when it held the changes back.
    using Save = std::function<bool(Call call)>;

    DebouncedSave(Scheduler& scheduler, Delays delays, Save save);
    DebouncedSave(const DebouncedSave&) = delete;
    DebouncedSave& operator=(const DebouncedSave&) = delete;

    // Something changed: the save runs `quiet` from now, or at the ceiling when that comes first.
    void changed();
    // Nothing waits any more (the changes were saved otherwise, or are to be dropped).
    void cancel();
    // Whether a save is to run, for changes or for changes held back.
    bool pending() const;

private:
    void run(Call call);

    Scheduler& scheduler_;
    const Delays delays_;
    Save save_;
    ScheduledTask quiet_;
    ScheduledTask ceiling_;
    ScheduledTask held_;
};

}  // namespace quenlith
