#pragma once

#include <gtkmm/box.h>

namespace quenlith {

// The start page shown in start-page tabs. Empty for now: the launcher's start page (search
// field, saved website tiles, suggestions) takes its place.
class WebsiteStartPage : public Gtk::Box {
public:
    WebsiteStartPage();
};

}  // namespace quenlith
