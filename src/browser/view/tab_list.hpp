#pragma once

// The order and selection rules of a window's tabs, kept apart from the widgets so they can be
// checked on plain values: which index an operation acts on and which tab is selected afterwards.
// `Tab` is anything `tabIdentifier(const Tab&)` (found by argument-dependent lookup) turns into a
// Uuid: the browser view keeps its tab objects here, tests keep bare ids.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/uuid.hpp"

namespace quenlith {

inline const Uuid& tabIdentifier(const Uuid& id) {
    return id;
}

template <typename Tab>
class TabList {
public:
    std::size_t count() const { return tabs_.size(); }
    bool empty() const { return tabs_.empty(); }
    bool contains(std::size_t index) const { return index < tabs_.size(); }
    const std::vector<Tab>& items() const { return tabs_; }
    Tab& at(std::size_t index) { return tabs_.at(index); }
    const Tab& at(std::size_t index) const { return tabs_.at(index); }

    // The shown tab's index; may point past the end while the list is being rebuilt.
    std::size_t activeIndex() const { return activeIndex_; }
    void setActiveIndex(std::size_t index) { activeIndex_ = index; }
    const Tab* active() const { return contains(activeIndex_) ? &tabs_[activeIndex_] : nullptr; }
    Tab* active() { return contains(activeIndex_) ? &tabs_[activeIndex_] : nullptr; }

    std::optional<std::size_t> indexOf(const Uuid& id) const {
        for (std::size_t i = 0; i < tabs_.size(); ++i)
            if (tabIdentifier(tabs_[i]) == id) return i;
        return std::nullopt;
    }

    // Appends a tab and returns its index (the index a new tab is selected at).
    std::size_t append(Tab tab) {
        tabs_.push_back(std::move(tab));
        return tabs_.size() - 1;
    }

    // Puts `tab` in place of the one at `index` (same position, usually the same id) and returns
    // the one it replaced.
    Tab replace(std::size_t index, Tab tab) { return std::exchange(tabs_.at(index), std::move(tab)); }

    Tab remove(std::size_t index) {
        Tab removed = std::move(tabs_.at(index));
        tabs_.erase(tabs_.begin() + static_cast<std::ptrdiff_t>(index));
        return removed;
    }

    std::vector<Tab> takeAll() {
        activeIndex_ = 0;
        return std::exchange(tabs_, {});
    }

    // Next (+1) or previous (-1) tab, wrapping around at both ends; nothing without tabs.
    std::optional<std::size_t> adjacentIndex(int offset) const {
        if (tabs_.empty()) return std::nullopt;
        const auto n = static_cast<long long>(tabs_.size());
        long long index = (static_cast<long long>(activeIndex_) + offset) % n;
        if (index < 0) index += n;
        return static_cast<std::size_t>(index);
    }

    // The tab a close request names: the active one when no id is given. Nothing when that tab
    // does not exist.
    std::optional<std::size_t> indexToClose(const std::optional<Uuid>& id) const {
        if (!id) return contains(activeIndex_) ? std::optional<std::size_t>(activeIndex_) : std::nullopt;
        return indexOf(*id);
    }

    // Removes the tab at `index` and returns it with the index to select next: the tab that took
    // the closed one's place, or the new last tab, keeping the selection on the same tab when a
    // tab before it was closed. The list must hold more than one tab. Until `next` is selected the
    // active index still names the tab that was active, or none when that one was closed.
    std::pair<Tab, std::size_t> close(std::size_t index) {
        const std::size_t previousActive = activeIndex_;
        Tab removed = remove(index);
        std::size_t next = (index < previousActive) ? previousActive - 1 : previousActive;
        if (index < previousActive)
            activeIndex_ = previousActive - 1;
        else if (index == previousActive)
            activeIndex_ = tabs_.size();  // past the end: nothing is active
        if (!tabs_.empty() && next > tabs_.size() - 1) next = tabs_.size() - 1;
        return {std::move(removed), next};
    }

    // Moves the tab with `id` by `offset` places, clamped to the ends, and returns the index the
    // previously active tab now has (to be selected again; the active index follows it already).
    // Nothing when no tab has the id, no tab is active, or the tab would not move.
    std::optional<std::size_t> move(const Uuid& id, int offset) {
        auto index = indexOf(id);
        if (!index || !contains(activeIndex_)) return std::nullopt;
        const auto last = static_cast<long long>(tabs_.size()) - 1;
        long long target = static_cast<long long>(*index) + offset;
        if (target < 0) target = 0;
        if (target > last) target = last;
        if (static_cast<std::size_t>(target) == *index) return std::nullopt;
        const Uuid activeID = tabIdentifier(tabs_[activeIndex_]);
        Tab moving = remove(*index);
        tabs_.insert(tabs_.begin() + static_cast<std::ptrdiff_t>(target), std::move(moving));
        auto activeNow = indexOf(activeID);
        if (activeNow) activeIndex_ = *activeNow;
        return activeNow;
    }

private:
    std::vector<Tab> tabs_;
    std::size_t activeIndex_ = 0;
};

// Addresses of closed tabs for reopening, newest last, holding the newest 20.
class ClosedTabStack {
public:
    static constexpr std::size_t kCapacity = 20;

    void push(std::string address) {
        entries_.push_back(std::move(address));
        if (entries_.size() > kCapacity)
            entries_.erase(entries_.begin(),
                           entries_.begin() + static_cast<std::ptrdiff_t>(entries_.size() - kCapacity));
    }
    std::optional<std::string> pop() {
        if (entries_.empty()) return std::nullopt;
        std::string newest = std::move(entries_.back());
        entries_.pop_back();
        return newest;
    }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    const std::vector<std::string>& entries() const { return entries_; }
    void clear() { entries_.clear(); }

private:
    std::vector<std::string> entries_;
};

}  // namespace quenlith
