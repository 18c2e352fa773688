#include "support/child_process_test.hpp"

#include <vector>

#include <sys/wait.h>

#include <glib.h>
#include <gtest/gtest.h>

#include "support/background_process.hpp"
#include "support/proxy_servers.hpp"
#include "support/temp_environment.hpp"

namespace quenlith::test {

namespace {
constexpr const char* kChildVariable = "QUENLITH_CHILD_TEST";
constexpr const char* kPhaseVariable = "QUENLITH_CHILD_PHASE";

std::string currentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info ? std::string(info->test_suite_name()) + "." + info->name() : std::string();
}

void skip(const std::string& why) { GTEST_SKIP() << why; }

bool namespacesAvailable(const TemporaryFolder& folder) {
    if (!programAvailable("unshare")) return false;
    BackgroundProcess probe({"unshare", "-Urm", "true"}, folder.file("unshare-probe.txt"));
    return probe.waitForExit(std::chrono::seconds(10)) && WIFEXITED(probe.status()) && WEXITSTATUS(probe.status()) == 0;
}
}  // namespace

bool insideChildProcess() { return g_getenv(kChildVariable) != nullptr; }

std::string childPhase() {
    const char* phase = g_getenv(kPhaseVariable);
    return phase ? phase : "";
}

bool runInChildProcess(const ChildProcessOptions& options) {
    const std::string name = currentTestName();
    if (const char* child = g_getenv(kChildVariable); child && name == child) return true;

    TemporaryFolder folder("quenlith-child");
    std::vector<std::string> argv;
    if (!options.trustBundle.empty()) {
        if (!namespacesAvailable(folder)) {
            skip("user and mount namespaces are not available here");
            return false;
        }
        argv = {"unshare", "-Urm", "sh", "-c",
                "mount --bind \"$0\" " + systemTrustFile() + " && exec \"$@\"", options.trustBundle};
    }
    if (options.privateBus) {
        argv.insert(argv.end(), {"dbus-run-session", "--config-file=" QUENLITH_TEST_SUPPORT_DIR "/session-bus.conf", "--"});
    }
    char* self = g_file_read_link("/proc/self/exe", nullptr);
    argv.push_back(self);
    g_free(self);
    argv.push_back("--gtest_filter=" + name);

    std::map<std::string, std::string> environment = options.environment;
    environment[kChildVariable] = name;
    environment[kPhaseVariable] = options.phase;
    BackgroundProcess child(argv, folder.file("output.txt"), environment);
    bool ended = child.waitForExit(std::chrono::seconds(240));
    std::string output = child.output();
    if (!ended) {
        ADD_FAILURE() << "the child process did not end in time:\n" << output;
        return false;
    }
    bool passed = WIFEXITED(child.status()) && WEXITSTATUS(child.status()) == 0;
    if (passed && output.find("[  SKIPPED ] " + name) != std::string::npos) {
        skip("skipped in the child process:\n" + output);
    } else if (!passed || output.find("[       OK ] " + name) == std::string::npos) {
        ADD_FAILURE() << "the child process failed" << (options.phase.empty() ? "" : " in phase " + options.phase)
                      << ":\n" << output;
    }
    return false;
}

}  // namespace quenlith::test
