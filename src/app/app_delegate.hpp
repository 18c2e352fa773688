#pragma once

#include <memory>

namespace quenlith {

class AppEnvironment;

// Starts and stops the application as a whole: builds the object graph once the application has
// started, starts the window manager, and tears everything down in a fixed order at termination.
// Main thread only.
class AppDelegate {
public:
    AppDelegate();
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Empty until launching has finished, then owned for the life of the process.
    std::unique_ptr<AppEnvironment> environment;

    // Builds the graph, starts the window manager (which opens the websites marked to launch at
    // start) and logs the start. Runs once; later calls do nothing.
    void finishLaunching();
    // Cancels the running downloads, shuts the window manager down (every window's frame saved)
    // and saves the websites and the library. Runs once; a missing environment only skips its steps.
    void terminate();

private:
    bool terminated_ = false;
};

}  // namespace quenlith
