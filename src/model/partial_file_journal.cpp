#include "model/partial_file_journal.hpp"

#include <glib.h>

#include "model/file_placement.hpp"
#include "model/json_text.hpp"

namespace quenlith {

namespace {

constexpr const char* kKey = "partialFiles";
constexpr const char* kFileKey = "file";
constexpr const char* kDeviceKey = "device";
constexpr const char* kInodeKey = "inode";

Error damaged(const std::string& reason) { return Error{kPartialFileJournalDamaged, reason}; }

// The path of a local file address; none for anything else (another host, another scheme).
// Addresses carry any bytes a path may hold, where JSON text carries only UTF-8.
std::optional<std::string> pathOfFileUri(const std::string& uri) {
    g_autofree char* host = nullptr;
    g_autofree char* path = g_filename_from_uri(uri.c_str(), &host, nullptr);
    if (!path || host) return std::nullopt;
    return std::string(path);
}

}  // namespace

Result<PartialFileJournal> PartialFileJournal::parse(std::string_view text) {
    std::string reason;
    const auto json = parseJsonText(text, &reason);
    if (!json) return damaged("not JSON: " + reason);
    if (!json->is_object()) return damaged("not a JSON object");
    const auto list = json->find(kKey);
    if (list == json->end() || !list->is_array()) return damaged(std::string("no list \"") + kKey + "\"");
    PartialFileJournal journal;
    for (const auto& item : *list) {
        const nlohmann::json* address = &item;
        std::optional<FileIdentity> identity;
        if (item.is_object()) {
            const auto file = item.find(kFileKey), device = item.find(kDeviceKey), inode = item.find(kInodeKey);
            if (file == item.end() || device == item.end() || inode == item.end() ||
                !device->is_number_unsigned() || !inode->is_number_unsigned())
                return damaged("a record without its file, device and inode");
            address = &*file;
            identity = FileIdentity{device->get<std::uint64_t>(), inode->get<std::uint64_t>()};
        }
        if (!address->is_string()) return damaged("a record that is not text");
        const auto path = pathOfFileUri(address->get<std::string>());
        if (!path) return damaged("a record that is not a local file address");
        journal.earlier_.insert(*path);
        if (identity) journal.identities_[*path] = *identity;
    }
    return journal;
}

std::string PartialFileJournal::serialized() const {
    nlohmann::json list = nlohmann::json::array();
    for (const auto* records : {&earlier_, &current_})
        for (const std::string& path : *records) {
            g_autofree char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
            if (!uri) continue;
            if (auto identity = identityOf(path))
                list.push_back({{kFileKey, uri}, {kDeviceKey, identity->device}, {kInodeKey, identity->inode}});
            else
                list.push_back(uri);
        }
    // Addresses are ASCII and the list holds nothing else: encoding cannot fail.
    return encodeJsonText(nlohmann::json{{kKey, list}}, JsonStyle::pretty).value_or("");
}

bool PartialFileJournal::recordable(std::string_view path) {
    if (!path.starts_with('/')) return false;
    std::string_view name;
    for (std::size_t start = 1;;) {
        const std::size_t end = path.find('/', start);
        name = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name.empty() || name == "." || name == "..") return false;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return isPartialFileName(name);
}

RecordOutcome PartialFileJournal::decide(std::string_view path, RecordedFileState state) {
    if (!recordable(path)) return RecordOutcome::forget;
    switch (state) {
    case RecordedFileState::ownPartialFile: return RecordOutcome::remove;
    case RecordedFileState::absent:
    case RecordedFileState::somethingElse: return RecordOutcome::forget;
    case RecordedFileState::folderAbsent:
    case RecordedFileState::unreachable: return RecordOutcome::keep;
    }
    return RecordOutcome::keep;
}

bool PartialFileJournal::record(const std::string& path) {
    if (!recordable(path)) return false;
    current_.insert(path);
    return true;
}

void PartialFileJournal::identify(const std::string& path, FileIdentity identity) {
    if (current_.contains(path)) identities_[path] = identity;
}

void PartialFileJournal::forget(const std::string& path) {
    earlier_.erase(path);
    current_.erase(path);
    identities_.erase(path);
}

std::optional<FileIdentity> PartialFileJournal::identityOf(const std::string& path) const {
    const auto found = identities_.find(path);
    if (found == identities_.end()) return std::nullopt;
    return found->second;
}

}  // namespace quenlith
