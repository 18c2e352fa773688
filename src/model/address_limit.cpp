#include "model/address_limit.hpp"

#include "model/localization.hpp"

namespace quenlith {

// No number: the limit counts encoded bytes, which only in plain Latin letters are characters, and
// a count of characters would be untrue of any other script.
std::string addressTooLongMessage() {
    return localizedString("This address is too long to open.");
}

}  // namespace quenlith
