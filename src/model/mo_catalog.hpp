#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quenlith {

// The translations of one compiled message catalog (.mo), read without gettext: glibc's gettext
// shows nothing but English under the C locale, which is what many sessions run with.
class MoCatalog {
public:
    // Reads and checks a catalog file. Nothing when the file is missing, unreadable or malformed
    // (bad magic number, unknown major revision, a table or string outside the file).
    static std::optional<MoCatalog> load(const std::string& path);
    // The same checks on catalog bytes already in memory; either byte order is accepted.
    static std::optional<MoCatalog> parse(std::string_view bytes);

    // The translation of an English text, or nothing. Entries with a context, the header entry,
    // empty translations and translations that are not valid UTF-8 are left out.
    const std::string* lookup(std::string_view english) const;
    // The forms of a plural entry whose English singular and plural both match, in the catalog's
    // order (one form for Chinese), or nothing.
    const std::vector<std::string>* lookupPlural(std::string_view singular, std::string_view plural) const;
    std::size_t size() const { return translations_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> translations_;
    // Keyed by "singular\0plural", as the file holds them.
    std::unordered_map<std::string, std::vector<std::string>, Hash, std::equal_to<>> plurals_;
};

}  // namespace quenlith
