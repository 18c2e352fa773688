// Typed addresses and the texts a translation may hold: normalising, the credential-free test,
// an address's log form, and the placeholder reader, each given exactly the input's bytes.
#include <string>

#include "fuzz/fuzz_input.hpp"
#include "model/address.hpp"
#include "model/logging.hpp"
#include "model/text_format.hpp"
#include "model/typed_userinfo.hpp"

using namespace quenlith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(fuzz::text(data, size));
    if (auto address = normalizedWebsiteURL(input)) {
        // A normalised address is a fixed point and passes through the normaliser unchanged.
        fuzz::require(normalizedWebsiteURL(*address) == address);
        (void)isCredentialFreeURL(*address);
    }
    (void)resolveAddressInput(input, SearchEngine::google);
    (void)isSignInURL(input);
    // No password, however spelled, survives into a log line.
    for (const auto& userinfo : typedUserinfo(addressForLog(input))) fuzz::require(!userinfo.password);
    (void)placeholderKinds(input);
    static const TextFormatter formatter("en");
    (void)formatter.format(input, {std::string("x"), std::int64_t{42}});
    return 0;
}
