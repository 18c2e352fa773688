#include "model/website_save_telling.hpp"

#include "model/localization.hpp"

namespace quenlith {

std::optional<SaveFailureNotice> WebsiteSaveTelling::failed(bool carriedAsked, bool toldWhereAsked,
                                                            const std::string& message) {
    const bool toldBefore = told_ == message;
    told_ = message;
    if (toldWhereAsked) return std::nullopt;
    // What the person asked for was taken back: they hear of it each time, or they would take
    // the silence for success.
    if (carriedAsked) return SaveFailureNotice{localizedString("Could not save website"), message};
    // A disk that stays full fails every window's bookkeeping again and again: once is enough.
    if (toldBefore) return std::nullopt;
    return SaveFailureNotice{localizedString("Could not save window state"), message};
}

void WebsiteSaveTelling::written() {
    told_.reset();
}

}  // namespace quenlith
