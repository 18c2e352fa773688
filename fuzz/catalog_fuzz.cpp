// A compiled string catalog (.mo), read from a buffer of exactly its size so an over-read shows.
#include <glib.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_input.hpp"
#include "model/mo_catalog.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> exact(data, data + size);
    auto catalog = MoCatalog::parse(std::string_view(exact.data(), exact.size()));
    if (!catalog) return 0;
    // Whatever the damage, a translation that is handed out is valid UTF-8.
    for (const std::string& key : {std::string(), std::string(fuzz::text(data, size < 16 ? size : 16))}) {
        const std::string* text = catalog->lookup(key);
        fuzz::require(!text || g_utf8_validate(text->data(), static_cast<gssize>(text->size()), nullptr));
    }
    return 0;
}
