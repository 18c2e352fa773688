// Backup files: decode and check them, write them again, and merge them the fast way and the
// record-by-record way, which must agree.
#include <algorithm>

#include "fuzz/fuzz_input.hpp"
#include "model/address.hpp"
#include "model/transfer_document.hpp"

using namespace quenlith;

namespace {

// The duplicate rule applied literally: each import against every record added before it.
std::vector<Uuid> addedOneByOne(const TransferDocument& document) {
    std::vector<WebAppProfile> result;
    for (const auto& imported : document.websites) {
        auto address = normalizedWebsiteURL(imported.homeURL);
        if (!address || std::any_of(result.begin(), result.end(), [&](const WebAppProfile& record) {
                return TransferDocument::isDuplicate(record, imported, *address);
            }))
            continue;
        WebAppProfile added = imported;
        added.sessionIdentifier.reset();
        added.normalize();
        result.push_back(added);
    }
    std::vector<Uuid> ids;
    for (const auto& record : result) ids.push_back(record.id);
    return ids;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto document = TransferDocument::fromData(fuzz::text(data, size), "Quenlith-backup.json");
    if (!document) return 0;
    auto encoded = encodeTransferDocument(*document);
    fuzz::require(encoded.has_value());
    auto again = TransferDocument::fromData(*encoded, "Quenlith-backup.json");
    fuzz::require(again.ok() && *again == *document);

    auto merged = document->mergeWebsites({});
    std::vector<Uuid> ids;
    for (const auto& record : merged) ids.push_back(record.id);
    fuzz::require(ids == addedOneByOne(*document));
    // A backup merged into itself adds nothing.
    fuzz::require(document->mergeLibrary(document->library) == document->library);
    fuzz::require(document->mergeWebsites(merged).size() == merged.size());
    return 0;
}
