#include "model/deduplication.hpp"

#include "model/address_text.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

std::string deduplicationKey(std::string_view address) {
    std::string text(address);
    auto parts = splitUri(text);
    if (!parts) return text;
    if (parts->host) parts->host = encodedHost(asciiLowercased(*parts->host));
    if (parts->path.empty()) parts->path.push_back('/');
    return joinUri(*parts).value_or(text);
}

}  // namespace quenlith
