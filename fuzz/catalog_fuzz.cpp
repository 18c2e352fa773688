// A compiled string catalog (.mo), read from a buffer of exactly its size so an over-read shows.
#include <vector>

#include "fuzz/fuzz_input.hpp"
#include "model/mo_catalog.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> exact(data, data + size);
    auto catalog = MoCatalog::parse(std::string_view(exact.data(), exact.size()));
    if (!catalog) return 0;
    (void)catalog->lookup("");
    (void)catalog->lookup(fuzz::text(data, size < 16 ? size : 16));
    return 0;
}
