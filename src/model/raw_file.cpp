#include "model/raw_file.hpp"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quenlith::files {

RawRead readRegularFile(const std::string& path, std::uint64_t cap) {
    RawRead result;
    auto fail = [&](RawRead::Failure failure, int error = 0) {
        result.failure = failure;
        result.systemError = error;
        result.bytes.clear();
        return result;
    };
    // Non-blocking, so a FIFO put in a file's place cannot hold start-up; only regular files are read.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(errno == ENOENT ? RawRead::noSuchFile : RawRead::system, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(RawRead::system, errno);
    if (S_ISDIR(info.st_mode)) return fail(RawRead::system, EISDIR);
    if (!S_ISREG(info.st_mode)) return fail(RawRead::notRegular);
    auto size = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    if (size > cap) return fail(RawRead::tooLarge);
    result.bytes.reserve(static_cast<std::size_t>(size));
    // Read until the end, but never more than one byte past the cap: a file that grows while it is
    // read is still refused without being held whole.
    std::vector<char> buffer(1 << 16);
    for (;;) {
        std::uint64_t room = cap + 1 - std::min<std::uint64_t>(result.bytes.size(), cap + 1);
        if (room == 0) return fail(RawRead::tooLarge);
        auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), room));
        ssize_t count = ::read(fd, buffer.data(), want);
        if (count < 0) {
            if (errno == EINTR) continue;
            return fail(RawRead::system, errno);
        }
        if (count == 0) break;
        result.bytes.append(buffer.data(), static_cast<std::size_t>(count));
        if (result.bytes.size() > cap) return fail(RawRead::tooLarge);
    }
    return result;
}

}  // namespace quenlith::files
