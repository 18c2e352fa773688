#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/browser_scene.hpp"
#include "model/history_visit.hpp"
#include "model/page_clip.hpp"
#include "model/runtime_window.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// What a Quick Open result opens: an open tab (`id` is its window, `tab` the tab), a saved
// website, a saved page, a page group (each by `id`), or a web address (`address`).
struct QuickOpenTarget {
    enum class Kind { tab, website, bookmark, scene, address };
    Kind kind = Kind::address;
    Uuid id;
    std::optional<Uuid> tab;
    std::string address;

    static QuickOpenTarget openTab(const Uuid& window, const Uuid& tab) { return {Kind::tab, window, tab, {}}; }
    static QuickOpenTarget of(Kind kind, const Uuid& id) { return {kind, id, std::nullopt, {}}; }
    static QuickOpenTarget openAddress(std::string address) { return {Kind::address, {}, std::nullopt, std::move(address)}; }
    bool operator==(const QuickOpenTarget&) const = default;
};

// One result row. `id` is the source's prefix and the record's id, unique among the results and
// stable from one search to the next, so a highlighted row stays highlighted across redraws.
struct QuickOpenItem {
    std::string id;
    std::string title;
    std::string detail;
    std::string category;
    std::string icon;  // symbol name
    QuickOpenTarget target;
    bool operator==(const QuickOpenItem&) const = default;
};

inline constexpr std::size_t kQuickOpenResultLimit = 60;

// Everything the user can go back to, in this order: open tabs (private windows, start pages,
// tabs without an address and addresses carrying credentials left out), saved websites by their
// sort order, saved pages newest first, page groups, and, with `includeHistory`, the history
// visits whose address is a website address. A candidate is kept when every word of `query` is
// found, case-insensitively by the user's locale, in its title, detail or category; no words keep
// all. At most the first 60 are answered. The visits of a history that repeats an id get "-2",
// "-3", ... after their id, so every answered id names one row.
std::vector<QuickOpenItem> quickOpenResults(std::string_view query, const std::vector<RuntimeWindow>& windows,
                                            const std::vector<WebAppProfile>& websites,
                                            const std::vector<PageClip>& clips,
                                            const std::vector<BrowserScene>& scenes,
                                            const std::vector<HistoryVisit>& history, bool includeHistory);

}  // namespace quenlith
