#include "model/website_details_lookup.hpp"

#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

WebsiteDetailsLookup::WebsiteDetailsLookup(bool isNew, FetchWebsiteDetails fetch,
                                           std::function<WebAppProfile&()> draft,
                                           std::function<void()> changed, Scheduler& scheduler)
    : isNew_(isNew),
      fetch_(std::move(fetch)),
      draft_(std::move(draft)),
      changed_(std::move(changed)),
      scheduler_(scheduler) {}

// An answer after this point finds the run token expired.
WebsiteDetailsLookup::~WebsiteDetailsLookup() {
    run_.reset();
}

std::string WebsiteDetailsLookup::key(const WebAppProfile& draft) {
    return draft.homeURL + (draft.isolatedAccount.value_or(false) ? "true" : "false") +
           (draft.siteProxy ? "true" : "false");
}

bool WebsiteDetailsLookup::mayLookUp(const WebAppProfile& draft) {
    return !draft.isolatedAccount.value_or(false) && !draft.siteProxy;
}

void WebsiteDetailsLookup::draftChanged() {
    std::string current = key(draft_());
    if (key_ == current) return;
    key_ = current;
    start();
}

void WebsiteDetailsLookup::start() {
    // A new key cancels the waiting or running lookup; its answer is then dropped.
    wait_.cancel();
    run_ = std::make_shared<int>(0);
    bool wasFetching = fetching_;
    fetching_ = false;
    if (wasFetching && changed_) changed_();

    const WebAppProfile& draft = draft_();
    if (!isNew_ || !fetch_ || !mayLookUp(draft)) return;
    auto address = normalizedWebsiteURL(draft.homeURL);
    if (!address) return;

    std::weak_ptr<int> token = run_;
    wait_ = scheduler_.schedule(kDelay, [this, token, address = *address] {
        if (token.expired()) return;
        fetching_ = true;
        if (changed_) changed_();
        fetch_(address, [this, token, address](LookedUpWebsiteDetails details) {
            if (token.expired()) return;
            finish(address, details);
        });
    });
}

void WebsiteDetailsLookup::finish(const std::string& address, const LookedUpWebsiteDetails& details) {
    WebAppProfile& draft = draft_();
    if (mayLookUp(draft) && normalizedWebsiteURL(draft.homeURL) == address) {
        if (draft.name.empty()) {
            std::string title = details.title ? trimmedWhitespaceAndNewlines(*details.title) : std::string();
            std::string host = uriHost(address).value_or("");
            draft.name = !title.empty() ? title : !host.empty() ? host : localizedString("Website");
        }
        draft.iconURL = details.iconURL;
    }
    fetching_ = false;
    if (changed_) changed_();
}

}  // namespace quenlith
