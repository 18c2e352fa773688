#include "model/transfer_document.hpp"

#include <algorithm>
#include <unordered_set>

#include "model/address.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/record_fields.hpp"
#include "model/suggested_website.hpp"
#include "model/website_checks.hpp"

namespace quenlith {

namespace {

// What belongs to this device and never leaves it in a backup.
void clearDeviceFields(WebAppProfile& website) {
    website.lastURL.reset();
    website.sessionIdentifier.reset();
    website.wasVisible = false;
    website.applicationLinkEnabled = false;
    website.linkedApplications.reset();
    if (website.siteProxy) website.siteProxy->credentialID.reset();
}

template <typename Record>
std::unordered_set<Uuid> idsOf(const std::vector<Record>& records) {
    std::unordered_set<Uuid> ids;
    ids.reserve(records.size());
    for (const auto& record : records) ids.insert(record.id);
    return ids;
}

void clearSessions(BrowserScene& scene) {
    for (auto& window : scene.windows) window.windowSession.reset();
}

Error invalidBackup() {
    return libraryError(LibraryError::invalidDocument);
}

}  // namespace

TransferDocument::TransferDocument(const std::vector<WebAppProfile>& websites, const LibraryDocument& library)
    : websites(websites) {
    for (auto& website : this->websites) clearDeviceFields(website);
    this->library.version = library.version;
    this->library.clips = library.clips;
    for (auto& clip : this->library.clips) clip.windowSession.reset();
    this->library.scenes = library.scenes;
    for (auto& scene : this->library.scenes) clearSessions(scene);
}

Result<TransferDocument> TransferDocument::fromData(std::string_view data, const std::string& fileName) {
    if (data.size() > kBackupFileSizeCap) return invalidBackup();
    auto json = parseJsonText(data);
    if (!json) return files::corruptFileError(fileName);
    auto document = decodeJson<TransferDocument>(*json);
    if (!document) return files::corruptFileError(fileName);
    if (document->format != kBackupFormat || document->version != 1 ||
        document->websites.size() > kMaximumImportedWebsites)
        return invalidBackup();
    // A website the editor would not save refuses the whole file; what the websites file repairs
    // on reading is repaired by the merge.
    for (const auto& website : document->websites)
        if (websiteRecordMessage(website)) return invalidBackup();
    if (auto valid = validateLibraryDocument(document->library); !valid) return valid.error();
    return std::move(*document);
}

bool TransferDocument::isDuplicate(const WebAppProfile& existing, const WebAppProfile& imported,
                                   std::string_view address) {
    if (existing.id == imported.id) return true;
    // A website with its own cookies or proxy is another account, even on the same address.
    if (imported.dataStoreIdentifier() || imported.isolatedAccount.value_or(false) || imported.siteProxy)
        return false;
    if (existing.dataStoreIdentifier()) return false;
    auto existingAddress = normalizedWebsiteURL(existing.homeURL);
    if (!existingAddress) return false;
    return SuggestedWebsite::canonicalAddress(*existingAddress) ==
           SuggestedWebsite::canonicalAddress(address);
}

std::vector<WebAppProfile> TransferDocument::mergeWebsites(const std::vector<WebAppProfile>& existing) const {
    // isDuplicate against every record of the growing result, kept as sets so that a thousand
    // imports stay linear: the ids, and the canonical addresses of the shared-store records.
    std::unordered_set<Uuid> ids;
    std::unordered_set<std::string> sharedAddresses;
    auto remember = [&](const WebAppProfile& record) {
        ids.insert(record.id);
        if (record.dataStoreIdentifier()) return;
        if (auto address = normalizedWebsiteURL(record.homeURL))
            sharedAddresses.insert(SuggestedWebsite::canonicalAddress(*address));
    };
    std::vector<WebAppProfile> result = existing;
    result.reserve(existing.size() + websites.size());
    for (const auto& record : result) remember(record);
    for (const auto& imported : websites) {
        auto address = normalizedWebsiteURL(imported.homeURL);
        if (!address || ids.contains(imported.id)) continue;
        bool ownStore =
            imported.dataStoreIdentifier() || imported.isolatedAccount.value_or(false) || imported.siteProxy;
        if (!ownStore && sharedAddresses.contains(SuggestedWebsite::canonicalAddress(*address))) continue;
        WebAppProfile added = imported;
        clearDeviceFields(added);
        // Nothing imported reaches out of its window on its own: no hot key, start-up launch or
        // menu-bar icon until the person turns them on here.
        added.globalShortcut.reset();
        added.launchAtStartup = false;
        added.menuBarIconEnabled = false;
        added.sortOrder = static_cast<std::int64_t>(result.size());
        added.normalize();
        remember(added);
        result.push_back(std::move(added));
    }
    return result;
}

LibraryDocument TransferDocument::mergeLibrary(const LibraryDocument& existing) const {
    LibraryDocument result = existing;
    auto clipIDs = idsOf(existing.clips);
    for (const auto& clip : library.clips) {
        if (clipIDs.contains(clip.id)) continue;
        result.clips.push_back(clip);
        result.clips.back().windowSession.reset();
    }
    auto sceneIDs = idsOf(existing.scenes);
    for (const auto& scene : library.scenes) {
        if (sceneIDs.contains(scene.id)) continue;
        result.scenes.push_back(scene);
        clearSessions(result.scenes.back());
    }
    return result;
}

namespace {

constexpr RecordFields kFields{
    field("format", &TransferDocument::format),
    field("version", &TransferDocument::version),
    field("websites", &TransferDocument::websites),
    field("library", &TransferDocument::library),
};

}  // namespace

void to_json(Json& json, const TransferDocument& document) {
    kFields.write(json, document);
}

void from_json(const Json& json, TransferDocument& document) {
    kFields.read(json, document);
}

std::optional<std::string> encodeTransferDocument(const TransferDocument& document) {
    return encodeJsonText(Json(document), JsonStyle::pretty);
}

Result<TransferDocument> readTransferFile(const std::string& path) {
    auto bytes = files::readWholeFile(path, kBackupFileSizeCap);
    if (!bytes) {
        if (bytes.error().code == files::kTooLarge) return invalidBackup();
        return bytes.error();
    }
    return TransferDocument::fromData(*bytes, path);
}

}  // namespace quenlith
