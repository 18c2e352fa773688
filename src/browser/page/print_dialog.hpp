#pragma once

#include <gtk/gtk.h>

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

// Shows the print dialog for the view's page, modal for `parent` (may be null), and returns at
// once: the page is printed as the dialog is answered with Print, provided the view still lives.
// The engine's own dialog would wait for its answer in a loop of its own, in which a quit asked
// for meanwhile is not seen. Returns the dialog, which goes when answered.
GtkWidget* showPrintDialog(WebKitWebView* view, GtkWindow* parent);

}  // namespace quenlith
