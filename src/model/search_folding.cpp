#include "model/search_folding.hpp"

#include <unicode/ucasemap.h>
#include <unicode/uloc.h>

#include <cstring>

#include "model/text_limits.hpp"

namespace quenlith {

std::vector<std::string> searchWords(std::string_view query) {
    std::vector<std::string> words;
    std::string current;
    std::size_t offset = 0;
    while (offset < query.size()) {
        const std::size_t start = offset;
        const char32_t scalar = text_detail::nextScalar(query, offset);
        if (isWhitespaceOrNewline(scalar)) {
            if (!current.empty()) words.push_back(std::move(current));
            current.clear();
        } else {
            current.append(query.substr(start, offset - start));
        }
    }
    if (!current.empty()) words.push_back(std::move(current));
    return words;
}

bool localeFoldsTurkic(const char* language) {
    return language && (std::strncmp(language, "tr", 2) == 0 || std::strncmp(language, "az", 2) == 0) &&
           (language[2] == '\0' || language[2] == '_');
}

CaseFolder::CaseFolder() : CaseFolder(localeFoldsTurkic(uloc_getDefault())) {}

CaseFolder::CaseFolder(bool turkic) : turkic_(turkic) {}

CaseFolder::~CaseFolder() {
    if (map_) ucasemap_close(map_);
}

std::string_view CaseFolder::fold(std::string_view text) {
    buffer_.resize(text.size());
    bool ascii = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            ascii = false;
            break;
        }
        buffer_[i] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
    }
    // Plain ASCII folds to its lower case, except the capital I of the Turkic locales.
    if (ascii && !(turkic_ && text.find('I') != std::string_view::npos)) return {buffer_.data(), text.size()};

    UErrorCode status = U_ZERO_ERROR;
    if (!map_) map_ = ucasemap_open(nullptr, turkic_ ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT, &status);
    if (!map_) {
        buffer_.assign(text);
        return buffer_;
    }
    // Folding grows a text by at most three times (one code point becomes up to three).
    buffer_.resize(text.size() * 3 + 4);
    status = U_ZERO_ERROR;
    const int32_t length = ucasemap_utf8FoldCase(map_, buffer_.data(), static_cast<int32_t>(buffer_.size()),
                                                 text.data(), static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        // Malformed text still compares, by its bytes.
        buffer_.assign(text);
        return buffer_;
    }
    return {buffer_.data(), static_cast<std::size_t>(length)};
}

}  // namespace quenlith
