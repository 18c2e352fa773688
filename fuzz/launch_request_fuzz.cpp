// Links handed to the application from outside: the parser never fails loudly, and a website link
// it accepts carries an address already in its normal form.
#include <string>

#include "fuzz/fuzz_input.hpp"
#include "model/address.hpp"
#include "model/launch_request.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto request = LaunchRequest::parse(fuzz::text(data, size));
    if (request && request->kind == LaunchRequest::Kind::website)
        fuzz::require(normalizedWebsiteURL(request->url) == request->url);
    return 0;
}
