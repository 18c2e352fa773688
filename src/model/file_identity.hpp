#pragma once

#include <cstdint>

#include <sys/stat.h>

namespace quenlith {

// Which file a name led to when it was made: its device and inode. A file put under the same name
// later, or reached through a link, is another file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;

    static FileIdentity of(const struct stat& info) {
        return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    }
};

}  // namespace quenlith
