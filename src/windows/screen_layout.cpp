#include "windows/screen_layout.hpp"

namespace quenlith {
namespace {

Rect toRect(const Gdk::Rectangle& r) {
    return Rect{double(r.get_x()), double(r.get_y()), double(r.get_width()), double(r.get_height())};
}

}  // namespace

std::optional<std::uint32_t> displayID(const Glib::RefPtr<Gdk::Monitor>& monitor) {
    if (!monitor) return std::nullopt;
    // On X11 the monitor's model is its RandR output name, the connector.
    return displayNumber(monitor->get_model().raw());
}

ScreenLayout screenLayout(const Glib::RefPtr<Gdk::Display>& display) {
    ScreenLayout layout;
    if (!display) return layout;
    auto primary = display->get_primary_monitor();
    int count = display->get_n_monitors();
    for (int i = 0; i < count; ++i) {
        auto monitor = display->get_monitor(i);
        if (!monitor) continue;
        Gdk::Rectangle geometry, workarea;
        monitor->get_geometry(geometry);
        monitor->get_workarea(workarea);
        if (primary && monitor == primary) layout.mainScreen = layout.screens.size();
        layout.screens.push_back(ScreenArea{toRect(geometry), toRect(workarea), displayID(monitor)});
    }
    if (!layout.mainScreen && !layout.screens.empty()) layout.mainScreen = 0;
    return layout;
}

}  // namespace quenlith
