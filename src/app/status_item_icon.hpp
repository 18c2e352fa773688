#pragma once

#include <optional>
#include <string>

#include <gdkmm/pixbuf.h>

#include "app/status_notifier_item.hpp"
#include "model/suggested_website.hpp"
#include "model/website_activity.hpp"

namespace quenlith {

// What a website's tray icon shows: a built-in suggestion's symbol, else the favicon, else the
// letter of its name.
struct StatusIconSource {
    std::optional<SuggestedWebsite> suggestion;
    Glib::RefPtr<Gdk::Pixbuf> favicon;
    std::string letter;
    // The same favicon object, not merely equal pictures.
    bool operator==(const StatusIconSource&) const = default;
};

// The icon at `pixels` square: the picture on a white rounded tile, with a dot at the bottom right
// (green while the website is in view, orange for any other open state, none when it is not open).
StatusIconPixmap drawStatusIcon(const StatusIconSource& source, WebsiteActivity activity, int pixels);

}  // namespace quenlith
