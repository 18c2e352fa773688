// profiles.json as the website store reads it: parse, decode, normalise, and write it again.
#include "fuzz/fuzz_input.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/profile_document.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto json = parseJsonText(fuzz::text(data, size));
    if (!json) return 0;
    auto document = decodeJson<ProfileDocument>(*json);
    if (!document) return 0;
    for (auto& profile : document->profiles) profile.normalize();
    // What was read and normalised can always be written, and reads back the same.
    auto encoded = encodeProfileDocument(document->profiles, JsonStyle::pretty);
    if (!encoded) return 0;  // text that is not UTF-8 cannot be written: refused, not lost
    auto again = decodeJson<ProfileDocument>(*parseJsonText(*encoded));
    fuzz::require(again && again->profiles == document->profiles);
    return 0;
}
