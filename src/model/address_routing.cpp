#include "model/address_routing.hpp"

#include <algorithm>

#include "model/deduplication.hpp"

namespace quenlith {

std::size_t AddressComparisonForms::TailHash::operator()(const std::string& address) const {
    constexpr std::size_t kTail = 24;
    const std::string_view text(address);
    const std::string_view tail = text.size() > kTail ? text.substr(text.size() - kTail) : text;
    return std::hash<std::string_view>()(tail) ^ (address.size() * 0x9E3779B97F4A7C15ull);
}

const std::string& AddressComparisonForms::form(const std::string& address) {
    if (auto found = forms_.find(address); found != forms_.end()) return found->second;
    if (forms_.size() >= kLimit) forms_.clear();
    return forms_.emplace(address, deduplicationKey(address)).first->second;
}

std::optional<Uuid> matchingTab(const RoutingWindow& window, const std::string& wanted, AddressComparisonForms& forms) {
    // A comparison form ends as its address does, or with the "/" of an empty path: a tab whose
    // address ends otherwise cannot match, and is passed over without a lookup.
    const char last = wanted.empty() ? '/' : wanted.back();
    for (const auto& tab : window.tabs) {
        if (tab.showsStartPage || !tab.address) continue;
        if (last != '/' && !tab.address->empty() && tab.address->back() != last) continue;
        if (forms.form(*tab.address) == wanted) return tab.id;
    }
    return std::nullopt;
}

std::optional<WebsiteWindowTarget> reusableTab(const std::vector<RoutingWindow>& windows, const std::string& address,
                                               AddressComparisonForms& forms) {
    const std::string wanted = forms.form(address);
    std::vector<const RoutingWindow*> order;
    order.reserve(windows.size());
    for (const auto& window : windows)
        if (window.sharedSession) order.push_back(&window);
    std::stable_sort(order.begin(), order.end(),
                     [](const RoutingWindow* a, const RoutingWindow* b) { return a->sequence < b->sequence; });
    for (const RoutingWindow* window : order)
        if (auto tab = matchingTab(*window, wanted, forms)) return WebsiteWindowTarget{window->id, *tab};
    return std::nullopt;
}

}  // namespace quenlith
