#pragma once

// Reading a whole regular file without messages: for callers that run before texts can be looked
// up (the interface language itself), and beneath the file layer's reads.

#include <cstdint>
#include <string>

namespace quenlith::files {

struct RawRead {
    enum Failure { none, noSuchFile, notRegular, tooLarge, system };
    std::string bytes;
    Failure failure = none;
    int systemError = 0;
};
// Reads a whole regular file of at most `cap` bytes, decided from its size before reading and
// again while reading; a FIFO, device or socket fails without blocking.
RawRead readRegularFile(const std::string& path, std::uint64_t cap);

}  // namespace quenlith::files
