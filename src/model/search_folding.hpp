#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct UCaseMap;

namespace quenlith {

// The words of a search field's text: cut at every white-space character (Unicode white space
// and line breaks), empty pieces dropped.
std::vector<std::string> searchWords(std::string_view query);

// Case-insensitive containment as the user's locale compares text: both sides are case-folded
// with the full Unicode folding, and with the dotted and dotless i kept apart in Turkish and
// Azerbaijani locales. Keeps one buffer, so folding a text allocates only when it outgrows it.
class CaseFolder {
public:
    // Folds by the process locale.
    CaseFolder();
    explicit CaseFolder(bool turkic);
    ~CaseFolder();
    CaseFolder(const CaseFolder&) = delete;
    CaseFolder& operator=(const CaseFolder&) = delete;

    // The folded form of `text`, valid until the next call on this folder.
    std::string_view fold(std::string_view text);
    // The folded form as its own string.
    std::string folded(std::string_view text) {
        return std::string(fold(text));
    }

private:
    bool turkic_;
    UCaseMap* map_ = nullptr;  // opened at the first text that needs it
    std::string buffer_;
};

// Whether the locale ("tr_TR") is one whose case folding treats the letter i specially.
bool localeFoldsTurkic(const char* locale);

}  // namespace quenlith
