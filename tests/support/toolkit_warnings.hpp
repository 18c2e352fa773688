#pragma once

// Counts the warnings and critical messages GTK, ATK and GLib log in a test process (they are printed
// as well), so a test can check that what it drove logged none.

namespace quenlith::test {

// Installed once by the GUI tests' main, before GTK starts.
void countToolkitWarnings();
// How many have been logged so far in this process.
int toolkitWarningCount();

}  // namespace quenlith::test
