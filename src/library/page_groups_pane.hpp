#pragma once

#include <gtkmm/box.h>

namespace quenlith {

struct LibraryPaneContext;

// The Page Groups section of the library window.
class PageGroupsPane : public Gtk::Box {
public:
    explicit PageGroupsPane(LibraryPaneContext& context);
    // Shows the groups of the library as they are now, filtered by the shared search.
    void refresh();

private:
    LibraryPaneContext& context_;
};

}  // namespace quenlith
