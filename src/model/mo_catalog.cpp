#include "model/mo_catalog.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <glib.h>

namespace quenlith {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::size_t kHeaderSize = 28;  // magic, revision, count, two table offsets, hash size and offset
// Far beyond any catalog of ours; keeps a corrupt count from reserving huge amounts of memory.
constexpr std::size_t kMaximumFileSize = 64 * 1024 * 1024;

class Reader {
public:
    Reader(std::string_view bytes, bool swap) : bytes_(bytes), swap_(swap) {}

    std::optional<std::uint32_t> word(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) return std::nullopt;
        std::uint32_t value;
        std::memcpy(&value, bytes_.data() + offset, 4);
        return swap_ ? GUINT32_SWAP_LE_BE(value) : value;
    }

    // Entry `index` of a table of (length, offset) pairs, as text inside the file.
    std::optional<std::string_view> string(std::size_t table, std::size_t index) const {
        auto length = word(table + index * 8);
        auto offset = word(table + index * 8 + 4);
        if (!length || !offset) return std::nullopt;
        // The text is followed by its terminating NUL, which must lie inside the file too.
        if (*offset >= bytes_.size() || bytes_.size() - *offset <= *length) return std::nullopt;
        return bytes_.substr(*offset, *length);
    }

private:
    std::string_view bytes_;
    bool swap_;
};

}  // namespace

std::optional<MoCatalog> MoCatalog::load(const std::string& path) {
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr)) return std::nullopt;
    std::optional<MoCatalog> catalog;
    if (length <= kMaximumFileSize) catalog = parse(std::string_view(contents, length));
    g_free(contents);
    return catalog;
}

std::optional<MoCatalog> MoCatalog::parse(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || bytes.size() > kMaximumFileSize) return std::nullopt;
    std::uint32_t magic;
    std::memcpy(&magic, bytes.data(), 4);
    bool swap;
    if (magic == kMagic)
        swap = false;
    else if (GUINT32_SWAP_LE_BE(magic) == kMagic)
        swap = true;
    else
        return std::nullopt;

    Reader reader(bytes, swap);
    auto revision = reader.word(4);
    auto count = reader.word(8);
    auto originals = reader.word(12);
    auto translations = reader.word(16);
    if (!revision || !count || !originals || !translations) return std::nullopt;
    // Major revisions 0 and 1 share the tables read here; revision 1 only adds entries we ignore.
    if ((*revision >> 16) > 1) return std::nullopt;
    std::uint64_t tableBytes = std::uint64_t(*count) * 8;
    if (*originals > bytes.size() || bytes.size() - *originals < tableBytes) return std::nullopt;
    if (*translations > bytes.size() || bytes.size() - *translations < tableBytes) return std::nullopt;

    MoCatalog catalog;
    catalog.translations_.reserve(*count);
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto original = reader.string(*originals, i);
        auto translation = reader.string(*translations, i);
        if (!original || !translation) return std::nullopt;
        // The header entry has an empty key; context entries carry "context\x04key".
        if (original->empty() || original->find('\x04') != std::string_view::npos) continue;
        // Plural entries hold "singular\0plural" and their forms separated by NULs: the first
        // form goes with the singular.
        std::string_view key = original->substr(0, original->find('\0'));
        std::string_view text = translation->substr(0, translation->find('\0'));
        if (text.empty()) continue;
        if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr)) continue;
        catalog.translations_.emplace(std::string(key), std::string(text));
        if (key.size() == original->size()) continue;
        std::vector<std::string> forms;
        for (std::string_view rest = *translation;;) {
            std::size_t end = rest.find('\0');
            forms.emplace_back(rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        // A form left empty or not UTF-8 would show nothing usable: the English forms serve instead.
        if (std::any_of(forms.begin(), forms.end(), [](const std::string& form) {
                return form.empty() ||
                       !g_utf8_validate_len(form.data(), static_cast<gssize>(form.size()), nullptr);
            }))
            continue;
        catalog.plurals_.emplace(std::string(*original), std::move(forms));
    }
    return catalog;
}

const std::string* MoCatalog::lookup(std::string_view english) const {
    auto it = translations_.find(english);
    return it == translations_.end() ? nullptr : &it->second;
}

const std::vector<std::string>* MoCatalog::lookupPlural(std::string_view singular,
                                                        std::string_view plural) const {
    std::string key;
    key.reserve(singular.size() + plural.size() + 1);
    key.append(singular).push_back('\0');
    key.append(plural);
    auto it = plurals_.find(key);
    return it == plurals_.end() ? nullptr : &it->second;
}

}  // namespace quenlith
