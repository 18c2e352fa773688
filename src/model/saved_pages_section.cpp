#include "model/saved_pages_section.hpp"

namespace quenlith {

std::optional<SavedPagesSection> savedPagesSection(int rawValue) {
    if (rawValue < 0 || rawValue > 3) return std::nullopt;
    return static_cast<SavedPagesSection>(rawValue);
}

void SavedPagesNavigation::setSection(SavedPagesSection section) {
    if (section == section_) return;
    section_ = section;
    changed_.emit();
}

}  // namespace quenlith
