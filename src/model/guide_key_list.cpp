#include "model/guide_key_list.hpp"

#include <algorithm>
#include <cctype>

#include "model/command_keys.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {

// The four lines are one lookup key; the keys by their Linux names, modifiers in the order Ctrl,
// Alt, Shift.
constexpr const char* kShortcutList =
    "Ctrl+K Quick Open \u00B7 Ctrl+Shift+D Read Later \u00B7 Ctrl+Shift+O Multiple links\n"
    "Ctrl+L Address \u00B7 Ctrl+T New tab \u00B7 Ctrl+Shift+T Reopen tab\n"
    "Ctrl+F Find \u00B7 Ctrl+P Print / PDF \u00B7 Ctrl+Shift+H Saved Pages\n"
    "Ctrl+Alt+Shift+N Private window \u00B7 Ctrl+Alt+P Recover mouse control";
// The keys every browser of this desktop has, beside the ones above; also one lookup key. The keys
// the menus show (back, forward, next and previous tab) are filled in.
constexpr const char* kBrowserKeyList =
    "%1$@ / %2$@ Back / Forward (also the mouse\u2019s side buttons) \u00B7 F5 Reload\n"
    "Ctrl+Tab / %3$@ Next tab \u00B7 Ctrl+Shift+Tab / %4$@ Previous tab \u00B7 Esc Stop loading";

constexpr std::string_view kSeparator = " \u00B7 ";

using Span = std::pair<std::size_t, std::size_t>;

std::vector<Span> entrySpans(std::string_view list) {
    std::vector<Span> entries;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t line = std::min(list.find('\n', start), list.size());
        const std::size_t dot = std::min(list.find(kSeparator, start), list.size());
        const std::size_t end = std::min(line, dot);
        if (end > start) entries.emplace_back(start, end);
        start = end + (end == dot && dot < line ? kSeparator.size() : 1);
    }
    return entries;
}

std::vector<Span> wordSpans(std::string_view list, Span entry) {
    std::vector<Span> words;
    for (std::size_t at = entry.first; at < entry.second;) {
        if (list[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(list.find(' ', at), entry.second);
        words.emplace_back(at, end);
        at = end;
    }
    return words;
}

bool isKey(std::string_view word) {
    if (word == "Esc") return true;
    if (word.size() >= 2 && word[0] == 'F' &&
        std::all_of(word.begin() + 1, word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return true;
    const auto plus = word.find('+');
    return plus != std::string_view::npos && plus > 0 && plus + 1 < word.size();
}

std::string_view text(std::string_view list, Span span) { return list.substr(span.first, span.second - span.first); }

// The index of the first word of the term: the keys and the "/" between them come before it.
std::size_t termStart(std::string_view list, const std::vector<Span>& words) {
    std::size_t at = 0;
    while (at < words.size() && (isKey(text(list, words[at])) || text(list, words[at]) == "/")) ++at;
    return at;
}

}  // namespace

std::string commandKeyName(std::string_view action) {
    const auto keys = commandAccelerators(action);
    return keys.empty() ? std::string() : keyListName(keys.front());
}

std::string guideKeyList() {
    auto shown = [](std::string_view action) -> FormatArgument { return commandKeyName(action); };
    const std::vector<FormatArgument> keys{shown("back"), shown("forward"), shown("nextTab"), shown("previousTab")};
    return localizedString(kShortcutList) + "\n" + localizedFormat(kBrowserKeyList, keys);
}

std::string keyListName(std::string_view accelerator) {
    std::string name = acceleratorChord(accelerator);
    constexpr std::string_view escape = "Escape";
    if (name.ends_with(escape)) name.replace(name.size() - escape.size(), escape.size(), "Esc");
    // "Page_Down" is "Page Down", one name a line never breaks.
    for (std::size_t at = name.find('_'); at != std::string::npos; at = name.find('_', at))
        name.replace(at, 1, "\u00A0");
    return name;
}

std::vector<KeyListEntry> keyListEntries(std::string_view list) {
    std::vector<KeyListEntry> entries;
    for (const Span& entry : entrySpans(list)) {
        const auto words = wordSpans(list, entry);
        const std::size_t term = termStart(list, words);
        KeyListEntry parsed;
        for (std::size_t at = 0; at < term; ++at)
            if (text(list, words[at]) != "/") parsed.keys.emplace_back(text(list, words[at]));
        if (term < words.size()) parsed.term = text(list, {words[term].first, entry.second});
        entries.push_back(std::move(parsed));
    }
    return entries;
}

std::vector<std::pair<std::size_t, std::size_t>> keyListUnbreakableRuns(std::string_view list) {
    std::vector<Span> runs;
    for (const Span& entry : entrySpans(list)) {
        const auto words = wordSpans(list, entry);
        const std::size_t term = termStart(list, words);
        for (std::size_t at = 0; at < words.size(); ++at) {
            const bool joined = at > 0 && (text(list, words[at]) == "/" || (at == term && isKey(text(list, words[at - 1]))));
            if (joined)
                runs.back().second = words[at].second;
            else
                runs.push_back(words[at]);
        }
        // The middle dot stays at the end of its line, never starting the next.
        if (!words.empty() && list.substr(entry.second, kSeparator.size()) == kSeparator)
            runs.back().second = entry.second + kSeparator.size() - 1;
    }
    return runs;
}

}  // namespace quenlith
