#include "model/set_aside_websites.hpp"

#include "model/file_store.hpp"
#include "model/logging.hpp"
#include "model/profile_persistence.hpp"

namespace quenlith {

Result<std::string> SetAsideWebsites::keepCopy() {
    std::lock_guard lock(mutex_);
    if (keptAt_) return *keptAt_;
    auto kept = files::keepCopyAside(path_, kProfilesFileSizeCap, files::kRecoveryCopy);
    if (!kept) {
        logError(LogCategory::lifecycle, "The websites file as read could not be kept aside: " + kept.error().message);
        return kept;
    }
    logError(LogCategory::lifecycle,
             std::to_string(records_.size()) + " website record(s) with a repeated id are kept in " + *kept);
    keptAt_ = *kept;
    return kept;
}

void SetAsideWebsites::keptElsewhere(const std::string& copy) {
    std::lock_guard lock(mutex_);
    if (!keptAt_) keptAt_ = copy;
}

}  // namespace quenlith
