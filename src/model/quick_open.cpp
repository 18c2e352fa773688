#include "model/quick_open.hpp"

#include <algorithm>
#include <unordered_map>

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/localization.hpp"
#include "model/search_folding.hpp"

namespace quenlith {

namespace {

// One category of results, with the words of the query that its text does not already hold.
struct Category {
    std::string text;
    std::vector<std::size_t> missingWords;
};

// Filters the candidates of one search in their order. A category is the same for many rows, so
// the words it holds are settled once; a row's title and detail are folded only as far as the
// remaining words need them, and gathering stops at the limit.
class Gatherer {
public:
    explicit Gatherer(std::string_view query) {
        for (const auto& word : searchWords(query)) words_.push_back(folder_.folded(word));
    }

    bool full() const { return results_.size() >= kQuickOpenResultLimit; }

    Category category(std::string_view english) {
        Category made{localizedString(english), {}};
        const std::string folded = folder_.folded(made.text);
        for (std::size_t i = 0; i < words_.size(); ++i)
            if (folded.find(words_[i]) == std::string::npos) made.missingWords.push_back(i);
        return made;
    }

    bool matches(const Category& category, std::string_view title, std::string_view detail) {
        if (category.missingWords.empty()) return true;
        const std::string_view foldedTitle = folder_.fold(title);
        std::string_view foldedDetail;
        bool detailFolded = false;
        for (std::size_t index : category.missingWords) {
            const std::string& word = words_[index];
            if (foldedTitle.find(word) != std::string_view::npos) continue;
            // The detail is folded only for a word the title lacks.
            if (!detailFolded) {
                foldedDetail = detailFolder_.fold(detail);
                detailFolded = true;
            }
            if (foldedDetail.find(word) == std::string_view::npos) return false;
        }
        return true;
    }

    void add(std::string id, std::string title, std::string detail, const Category& category, const char* icon,
             QuickOpenTarget target) {
        // A repeated id (a history that holds one visit twice) gets a suffix, so each id names one row.
        if (std::size_t& seen = idCounts_[id]; ++seen > 1) id += "-" + std::to_string(seen);
        results_.push_back(
            {std::move(id), std::move(title), std::move(detail), category.text, icon, std::move(target)});
    }

    std::vector<QuickOpenItem> take() { return std::move(results_); }

private:
    CaseFolder folder_;
    CaseFolder detailFolder_;
    std::vector<std::string> words_;
    std::unordered_map<std::string, std::size_t> idCounts_;
    std::vector<QuickOpenItem> results_;
};

std::string joinedAddresses(const BrowserScene& scene) {
    std::string joined;
    for (const auto& window : scene.windows)
        for (const auto& url : window.urls) {
            if (!joined.empty()) joined += " \u00B7 ";
            joined += url;
        }
    return joined;
}

template <typename Record, typename Less>
std::vector<const Record*> stablySorted(const std::vector<Record>& records, Less less) {
    std::vector<const Record*> sorted;
    sorted.reserve(records.size());
    for (const auto& record : records) sorted.push_back(&record);
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Record* a, const Record* b) { return less(*a, *b); });
    return sorted;
}

}  // namespace

std::vector<QuickOpenItem> quickOpenResults(std::string_view query, const std::vector<RuntimeWindow>& windows,
                                            const std::vector<WebAppProfile>& websites,
                                            const std::vector<PageClip>& clips,
                                            const std::vector<BrowserScene>& scenes,
                                            const std::vector<HistoryVisit>& history, bool includeHistory) {
    using Kind = QuickOpenTarget::Kind;
    // No title or address holds a word longer than an address may be: a pasted text of megabytes
    // is not compared with every candidate.
    if (!isWithinAddressLimit(query)) return {};
    Gatherer gather(query);

    const Category tabs = gather.category("Switch to Open Tab");
    for (const auto& window : windows) {
        if (window.isPrivate) continue;
        for (const auto& tab : window.tabs) {
            if (gather.full()) return gather.take();
            if (tab.isStartPage || !tab.url || !isCredentialFreeURL(*tab.url)) continue;
            if (gather.matches(tabs, tab.title, *tab.url))
                gather.add("tab-" + tab.id.string(), tab.title, *tab.url, tabs, "macwindow",
                           QuickOpenTarget::openTab(window.id, tab.id));
        }
    }

    const Category saved = gather.category("Saved Website");
    for (const WebAppProfile* website :
         stablySorted(websites, [](const auto& a, const auto& b) { return a.sortOrder < b.sortOrder; })) {
        if (gather.full()) return gather.take();
        std::string title = website->displayTitle();
        if (gather.matches(saved, title, website->homeURL))
            gather.add("site-" + website->id.string(), std::move(title), website->homeURL, saved, "globe",
                       QuickOpenTarget::of(Kind::website, website->id));
    }

    const Category readLater = gather.category("Read Later");
    const Category bookmark = gather.category("Bookmark");
    for (const PageClip* clip :
         stablySorted(clips, [](const auto& a, const auto& b) { return a.modified > b.modified; })) {
        if (gather.full()) return gather.take();
        const Category& category = clip->readingState == ReadingState::unread ? readLater : bookmark;
        if (gather.matches(category, clip->title, clip->address))
            gather.add("clip-" + clip->id.string(), clip->title, clip->address, category, "bookmark",
                       QuickOpenTarget::of(Kind::bookmark, clip->id));
    }

    const Category groups = gather.category("Page Group");
    for (const auto& scene : scenes) {
        if (gather.full()) return gather.take();
        std::string detail = joinedAddresses(scene);
        if (gather.matches(groups, scene.name, detail))
            gather.add("scene-" + scene.id.string(), scene.name, std::move(detail), groups, "rectangle.3.group",
                       QuickOpenTarget::of(Kind::scene, scene.id));
    }

    if (includeHistory) {
        const Category visits = gather.category("History");
        for (const auto& visit : history) {
            if (gather.full()) return gather.take();
            // Matching first: it is cheaper than normalising, and a visit that does not
            // normalise is skipped whether it matches or not.
            if (!gather.matches(visits, visit.title, visit.address)) continue;
            if (auto url = normalizedWebsiteURL(visit.address))
                gather.add("history-" + visit.id.string(), visit.title, visit.address, visits, "clock",
                           QuickOpenTarget::openAddress(std::move(*url)));
        }
    }
    return gather.take();
}

}  // namespace quenlith
