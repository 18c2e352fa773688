#pragma once

namespace quenlith {

// A notebook being destroyed takes its pages out one by one, and GTK's accessible object of each
// page then reads the tab of a page that is no longer in the notebook: with a screen reader or any
// other listener on the accessibility bus, every page logs a critical (the engine's print dialog
// has seven). Once this is called, a notebook being destroyed stops showing its tabs as its pages
// go, so nothing reads them. Main thread; once per process is enough, more do nothing.
void quietNotebookTeardown();

}  // namespace quenlith
