#pragma once

namespace quenlith {

// Keeps every dialog of the process inside the work area of its screen: message dialogs, the file
// choosers, the print dialog and the sheets a window opens (any window kept above another). Shown,
// a dialog larger than the work area is made to fit it (let shrink where it was fixed); once the
// window manager has framed and placed it, its frame is moved wholly inside. A dialog whose content
// cannot be shown in less keeps its top left corner in the work area. Later calls do nothing.
void keepDialogsInWorkArea();

}  // namespace quenlith
