#include "model/file_test_support.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "model/localization_testing.hpp"


namespace quenlith::test {

bool isDirectory(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored);
}

std::vector<std::string> entriesStartingWith(const std::string& directory, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored)) {
        auto name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

LanguageEnvironment::LanguageEnvironment(const std::string& lang) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "QUENLITH_RESOURCE_DIR"}) set(name, std::nullopt);
    set("LANG", lang);
    localization_testing::reset();
}

LanguageEnvironment::~LanguageEnvironment() { localization_testing::reset(); }

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit limit = saved_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

SmallFileSystem::SmallFileSystem(std::uint64_t bytes) {
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = ::mount("tmpfs", path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!mounted_) refusal_ = std::string("a tmpfs cannot be mounted here: ") + std::strerror(errno);
}

SmallFileSystem::~SmallFileSystem() {
    // Detached, so a file a worker still holds open cannot keep it mounted.
    if (mounted_) ::umount2(path().c_str(), MNT_DETACH);
}

namespace {

// Capabilities are per thread: the raw calls read and change the calling thread's sets only.
bool capabilities(__user_cap_data_struct (&data)[2], bool set) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return (set ? ::syscall(SYS_capset, &header, data) : ::syscall(SYS_capget, &header, data)) == 0;
}

}  // namespace

PermissionsEnforced::PermissionsEnforced() {
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false)) throw std::runtime_error("cannot read the thread's capabilities");
    for (int i = 0; i < 2; ++i) savedEffective_[i] = data[i].effective;
    // Only the effective set shrinks: the permitted set keeps them, so the destructor can take
    // them back.
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        data[capability / 32].effective &= ~(1u << (capability % 32));
    if (!capabilities(data, true)) throw std::runtime_error("cannot drop the thread's capabilities");
}

PermissionsEnforced::~PermissionsEnforced() {
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false)) return;
    for (int i = 0; i < 2; ++i) data[i].effective = savedEffective_[i];
    capabilities(data, true);
}

}  // namespace quenlith::test
