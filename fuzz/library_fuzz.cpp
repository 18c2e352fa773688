// library.json (and the library half of a backup): decode, validate, and write it again.
#include "fuzz/fuzz_input.hpp"
#include "model/library_file.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto document = decodeLibraryDocument(fuzz::text(data, size), "library.json");
    if (!document || !validateLibraryDocument(*document)) return 0;
    auto encoded = encodeLibraryDocument(*document);
    if (!encoded) return 0;
    auto again = decodeLibraryDocument(*encoded, "library.json");
    fuzz::require(again.ok() && again->clips == document->clips && again->scenes == document->scenes);
    return 0;
}
