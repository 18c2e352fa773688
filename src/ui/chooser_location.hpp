#pragma once

namespace quenlith {

// The toolkit's file chooser logs criticals as a location is typed into it (an import's), and
// once this is called it no longer does:
// - it completes the typed text inline from the folder the text names; when that folder cannot be
//   read (a missing one) it drops its list of names but goes on completing, and every key typed
//   logs. An entry typed into while its list is gone now stops completing inline, until the chooser
//   gives it a list and asks for inline completion again.
// - keys typed right after Ctrl+L reach the location bar before the toolkit has set it up on the
//   screen (the entry is ready, the box around it not yet), and each logs. The box is now set up
//   as the first key reaches it.
// Main thread; once per process is enough, more do nothing.
void quietChooserLocation();

}  // namespace quenlith
