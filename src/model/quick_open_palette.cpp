#include "model/quick_open_palette.hpp"

#include <algorithm>

#include "model/address_limit.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

std::optional<QuickOpenCommand> quickOpenCommand(QuickOpenKey key, bool composing) {
    if (composing) return std::nullopt;
    switch (key) {
        case QuickOpenKey::down: return QuickOpenCommand::moveDown;
        case QuickOpenKey::up: return QuickOpenCommand::moveUp;
        case QuickOpenKey::returnKey: return QuickOpenCommand::submit;
        case QuickOpenKey::escape: return QuickOpenCommand::cancel;
        case QuickOpenKey::other: break;
    }
    return std::nullopt;
}

bool QuickOpenPalette::hasQuery() const {
    // Refused on its size before it is trimmed (a copy).
    return queryTooLong() || !trimmedWhitespaceAndNewlines(query_).empty();
}

bool QuickOpenPalette::queryTooLong() const {
    return !isWithinAddressLimit(query_);
}

std::vector<std::string> QuickOpenPalette::selectableIDs() const {
    std::vector<std::string> ids;
    ids.reserve(items_.size() + 1);
    for (const auto& item : items_) ids.push_back(item.id);
    if (hasQuery()) ids.emplace_back(kQuickOpenSearchRowID);
    return ids;
}

void QuickOpenPalette::setQuery(std::string query, std::vector<QuickOpenItem> items) {
    query_ = std::move(query);
    items_ = std::move(items);
    auto ids = selectableIDs();
    selected_ = ids.empty() ? std::nullopt : std::optional<std::string>(ids.front());
}

void QuickOpenPalette::setItems(std::vector<QuickOpenItem> items) {
    items_ = std::move(items);
    auto ids = selectableIDs();
    if (selected_ && std::find(ids.begin(), ids.end(), *selected_) != ids.end()) return;
    selected_ = ids.empty() ? std::nullopt : std::optional<std::string>(ids.front());
}

void QuickOpenPalette::moveSelection(int step) {
    const auto ids = selectableIDs();
    if (ids.empty()) return;
    const long count = static_cast<long>(ids.size());
    long position;
    auto current = selected_ ? std::find(ids.begin(), ids.end(), *selected_) : ids.end();
    if (current != ids.end())
        position = (current - ids.begin()) + step;
    else
        position = step >= 1 ? step - 1 : count + step;
    selected_ = ids[static_cast<std::size_t>(std::clamp(position, 0L, count - 1))];
}

void QuickOpenPalette::select(std::optional<std::string> id) { selected_ = std::move(id); }

QuickOpenPalette::Submission QuickOpenPalette::submit() const {
    using Kind = Submission::Kind;
    const bool searchable = hasQuery() && !queryTooLong();
    if (selected_ == kQuickOpenSearchRowID)
        return searchable ? Submission{Kind::search, {}, query_} : Submission{};
    if (!items_.empty()) {
        auto chosen = std::find_if(items_.begin(), items_.end(),
                                   [&](const QuickOpenItem& item) { return item.id == selected_; });
        return {Kind::choose, (chosen != items_.end() ? *chosen : items_.front()).target, {}};
    }
    if (searchable) return {Kind::search, {}, query_};
    return {};
}

}  // namespace quenlith
