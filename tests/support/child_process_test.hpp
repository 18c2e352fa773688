#pragma once

#include <map>
#include <string>

namespace quenlith::test {

// How the current test runs again in a child process of the test binary.
struct ChildProcessOptions {
    // A private D-Bus session of its own (no service directories), so a Secret Service started by
    // the test clashes with no other test running at the same time.
    bool privateBus = false;
    // When set: a user and mount namespace in which this file stands in for the system's trusted
    // certificates (so a test certificate is trusted by the web engine's network process).
    std::string trustBundle;
    // What the child should do, read there with childPhase().
    std::string phase;
    std::map<std::string, std::string> environment;

    ChildProcessOptions& withPrivateBus() {
        privateBus = true;
        return *this;
    }
    ChildProcessOptions& trusting(const std::string& bundle) {
        trustBundle = bundle;
        return *this;
    }
    ChildProcessOptions& inPhase(const std::string& name) {
        phase = name;
        return *this;
    }
    ChildProcessOptions& withVariable(const std::string& name, const std::string& value) {
        environment[name] = value;
        return *this;
    }
};

// In the test process: runs the current test again in a child process, spinning the main loop
// meanwhile (servers of the test keep answering), reports the child's failures or skip as this
// test's own, and returns false. In the child process: returns true at once.
//
//   if (!runInChildProcess(ChildProcessOptions().withPrivateBus())) return;
//   ... the test body, in the child ...
bool runInChildProcess(const ChildProcessOptions& options);

// True in a child process started by runInChildProcess.
bool insideChildProcess();
// The phase given to this child process; empty in the test process.
std::string childPhase();

}  // namespace quenlith::test
