#include "model/address_limit.hpp"

#include <cstdint>

#include "model/localization.hpp"

namespace quenlith {

std::string addressTooLongMessage() {
    return localizedPlural("This address is too long. Addresses of more than %ld character are not opened.",
                           "This address is too long. Addresses of more than %ld characters are not opened.",
                           static_cast<std::int64_t>(kAddressByteLimit));
}

}  // namespace quenlith
