#include "model/file_test_support.hpp"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <stdexcept>

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

}  // namespace quenlith::test
