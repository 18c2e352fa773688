#pragma once

#include <optional>

#include <sigc++/signal.h>

namespace quenlith {

// The sections of the library window, with their stable integer values.
enum class SavedPagesSection { later = 0, bookmarks = 1, groups = 2, history = 3 };

// The section for a stored integer; nothing outside 0 to 3.
std::optional<SavedPagesSection> savedPagesSection(int rawValue);
inline int rawValue(SavedPagesSection section) { return static_cast<int>(section); }

// The library window's chosen section for the whole process: menu commands and other windows
// open the library on a section by writing it, and the window's picker follows it, so the choice
// outlives the window. Main thread only.
class SavedPagesNavigation {
public:
    SavedPagesSection section() const { return section_; }
    // Emits signal_changed() when the section is another one.
    void setSection(SavedPagesSection section);
    sigc::signal<void()>& signal_changed() { return changed_; }

private:
    SavedPagesSection section_ = SavedPagesSection::later;
    sigc::signal<void()> changed_;
};

}  // namespace quenlith
