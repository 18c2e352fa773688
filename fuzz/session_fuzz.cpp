// session-v1.json: decode and normalise the snapshot of open windows, then write it again.
#include "fuzz/fuzz_input.hpp"
#include "model/browser_session.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto json = parseJsonText(fuzz::text(data, size));
    if (!json) return 0;
    auto document = decodeJson<BrowserSessionDocument>(*json);
    if (!document) return 0;
    BrowserSessionDocument normalized = document->normalized();
    fuzz::require(normalized.normalized() == normalized);
    if (auto encoded = encodeJsonText(Json(normalized), JsonStyle::compact))
        fuzz::require(decodeJson<BrowserSessionDocument>(*parseJsonText(*encoded)) == normalized);
    return 0;
}
