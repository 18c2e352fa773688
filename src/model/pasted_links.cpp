#include "model/pasted_links.hpp"

#include <unordered_set>

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/deduplication.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

// The length of the line break at `offset`, or 0: LF, VT, FF, CR, NEL, LINE and PARAGRAPH SEPARATOR.
std::size_t lineBreakLength(std::string_view text, std::size_t offset) {
    const auto byte = static_cast<unsigned char>(text[offset]);
    if (byte >= 0x0A && byte <= 0x0D) return 1;
    if (byte == 0xC2 && offset + 1 < text.size() && static_cast<unsigned char>(text[offset + 1]) == 0x85) return 2;
    if (byte == 0xE2 && offset + 2 < text.size() && static_cast<unsigned char>(text[offset + 1]) == 0x80) {
        const auto last = static_cast<unsigned char>(text[offset + 2]);
        if (last == 0xA8 || last == 0xA9) return 3;
    }
    return 0;
}

// The lines of the text, empty ones included; CR LF is one break.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t offset = 0;
    while (offset < text.size()) {
        std::size_t length = lineBreakLength(text, offset);
        if (length == 0) {
            ++offset;
            continue;
        }
        lines.push_back(text.substr(start, offset - start));
        if (text[offset] == '\r' && offset + 1 < text.size() && text[offset + 1] == '\n') ++length;
        offset += length;
        start = offset;
    }
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

std::string_view rawValue(BatchAction action) {
    return action == BatchAction::tabs ? "Open as Tabs" : "Save as Page Group";
}

BatchLinkParse parseBatchLinks(std::string_view text) {
    BatchLinkParse parse;
    if (text.size() > kBatchLinkInputByteLimit) {
        parse.inputTooLarge = true;
        return parse;
    }
    std::unordered_set<std::string> seen;
    std::int64_t number = 0;
    for (std::string_view raw : splitLines(text)) {
        ++number;
        const std::string line = trimmedWhitespaceAndNewlines(raw);
        if (line.empty()) continue;
        if (!isWithinAddressLimit(line)) {
            parse.invalidLines.push_back(number);
            parse.tooLongLines.push_back(number);
            continue;
        }
        // A line of no more bytes than the limit cannot hold more characters than it.
        if (line.size() > kBatchLinkLineCharacterLimit && characterCount(line) > kBatchLinkLineCharacterLimit) {
            parse.invalidLines.push_back(number);
            continue;
        }
        auto url = normalizedWebsiteURL(line);
        if (!url) {
            parse.invalidLines.push_back(number);
            continue;
        }
        if (!seen.insert(deduplicationKey(*url)).second) {
            ++parse.duplicateCount;
            continue;
        }
        parse.urls.push_back(std::move(*url));
    }
    if (parse.urls.size() > kBatchLinkLimit) {
        parse.urls.resize(kBatchLinkLimit);
        parse.tooMany = true;
    }
    return parse;
}

bool BatchLinkParse::canSaveAsPageGroup() const {
    if (urls.empty() || tooMany || inputTooLarge) return false;
    for (const auto& url : urls)
        if (!isCredentialFreeURL(url)) return false;
    return true;
}

bool canPerformBatchLinks(const BatchLinkParse& parse, BatchAction action, std::string_view name) {
    if (parse.urls.empty() || parse.tooMany || parse.inputTooLarge) return false;
    if (action == BatchAction::tabs) return true;
    if (!parse.canSaveAsPageGroup()) return false;
    if (trimmedWhitespaceAndNewlines(name).empty()) return false;
    return characterCount(name) <= kBatchLinkGroupNameLimit;
}

std::string appendingSuggestion(std::string_view input, const LinkSuggestion& suggestion) {
    std::string text(input);
    if (!text.empty() && text.back() != '\n') text.push_back('\n');
    return text + suggestion.url;
}

bool isSuggestionListed(const BatchLinkParse& parse, const LinkSuggestion& suggestion) {
    const std::string key = deduplicationKey(suggestion.url);
    for (const auto& url : parse.urls)
        if (deduplicationKey(url) == key) return true;
    return false;
}

std::string suggestionLabel(const LinkSuggestion& suggestion) {
    // A menu item shows its text whole: a title or address of any length by its beginning.
    if (!suggestion.title.empty()) return shownName(suggestion.title, kShownTitleCharacters);
    if (auto host = uriHost(suggestion.url); host && !host->empty()) return *host;
    return shownName(suggestion.url, kShownTitleCharacters);
}

std::string shownInvalidLines(const std::vector<std::int64_t>& lines) {
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < lines.size() && i < kShownInvalidLineLimit; ++i)
        shown.push_back(std::to_string(lines[i]));
    return localizedList(shown);
}

std::string skippedLinesText(const BatchLinkParse& parse) {
    std::string text;
    if (!parse.invalidLines.empty())
        text = localizedFormat("Invalid lines will be skipped: %@", {shownInvalidLines(parse.invalidLines)});
    // No length is named: the limit counts encoded bytes, not the characters a person sees.
    if (!parse.tooLongLines.empty())
        text += (text.empty() ? "" : "\n") +
                localizedFormat("Lines too long for an address: %@", {shownInvalidLines(parse.tooLongLines)});
    return text;
}

BrowserScene pastedLinksGroup(const std::vector<std::string>& urls, const std::string& name, Date now) {
    SceneWindow window;
    window.id = Uuid::random();
    window.name = name;
    window.urls = urls;
    window.selected = 0;
    window.frame = CodableRect{80, 80, 600, 700, std::nullopt};
    window.opacity = 1.0;
    window.onTop = true;
    window.compact = false;
    BrowserScene scene;
    scene.id = Uuid::random();
    scene.name = name;
    scene.windows = {window};
    scene.modified = now;
    return scene;
}

}  // namespace quenlith
