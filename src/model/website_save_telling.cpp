#include "model/website_save_telling.hpp"

#include "model/localization.hpp"

namespace quenlith {

void WebsiteSaveTelling::changed(WebsiteChange kind) {
    if (kind == WebsiteChange::asked) askedWaiting_ = true;
}

std::uint64_t WebsiteSaveTelling::handOver() {
    ++handedOver_;
    if (askedWaiting_) askedUpTo_ = handedOver_;
    askedWaiting_ = false;
    return handedOver_;
}

void WebsiteSaveTelling::written(std::uint64_t number) {
    written_ = number;
    told_.reset();
}

void WebsiteSaveTelling::takenBack() {
    askedWaiting_ = false;
    askedUpTo_ = written_;
}

std::optional<SaveFailureNotice> WebsiteSaveTelling::failed(bool toldWhereAsked, const std::string& message) {
    // Also what earlier failed writes carried (the last one carried it again) and what waited.
    const bool askedTakenBack = askedUpTo_ > written_ || askedWaiting_;
    takenBack();
    const bool toldBefore = told_ == message;
    told_ = message;
    if (toldWhereAsked) return std::nullopt;
    // What the person asked for was taken back: they hear of it each time, or they would take
    // the silence for success.
    if (askedTakenBack) return SaveFailureNotice{localizedString("Could not save website"), message};
    // A disk that stays full fails every window's bookkeeping again and again: once is enough.
    if (toldBefore) return std::nullopt;
    return SaveFailureNotice{localizedString("Could not save window state"), message};
}

}  // namespace quenlith
