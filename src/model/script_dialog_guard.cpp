#include "model/script_dialog_guard.hpp"

#include "model/uri_components.hpp"

namespace quenlith {

namespace {

// A page is its address without the fragment: moving to an anchor stays on the page.
std::string pageOf(std::string_view address) {
    auto parts = splitUri(address);
    if (!parts) return std::string(address);
    parts->fragment.reset();
    return joinUri(*parts).value_or(std::string(address));
}

}  // namespace

bool ScriptDialogGuard::opening() {
    const Date now = clock_->now();
    const bool continues = open_ > 0 || (lastClosed_ && now.secondsSince(*lastClosed_) <= kSuccessionSeconds);
    run_ = continues ? run_ + 1 : 1;
    ++open_;
    return run_ >= kOfferFrom;
}

void ScriptDialogGuard::closed() {
    if (open_ > 0) --open_;
    lastClosed_ = clock_->now();
}

bool ScriptDialogGuard::printing() {
    if (open_ > 0 || isStopped()) return false;
    if (lastPrintClosed_ && clock_->now().secondsSince(*lastPrintClosed_) <= kSuccessionSeconds) return false;
    opening();
    return true;
}

void ScriptDialogGuard::printClosed() {
    closed();
    lastPrintClosed_ = lastClosed_;
}

void ScriptDialogGuard::stop(std::string_view page) {
    stoppedPage_ = pageOf(page);
}

void ScriptDialogGuard::committed(std::string_view page) {
    if (stoppedPage_ && *stoppedPage_ != pageOf(page)) stoppedPage_.reset();
}

}  // namespace quenlith
