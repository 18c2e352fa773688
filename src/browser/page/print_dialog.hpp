#pragma once

#include <gtk/gtk.h>

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

// Shows the print dialog for the view's page, attached to `parent` (may be null) and modal for it
// unless `modal` is false, and returns at once: the page is printed as the dialog is answered with
// Print, provided the view still lives. The engine's own dialog would wait for its answer in a loop
// of its own, in which a quit asked for meanwhile is not seen. Returns the dialog, which goes when
// answered.
GtkWidget* showPrintDialog(WebKitWebView* view, GtkWindow* parent, bool modal = true);

}  // namespace quenlith
