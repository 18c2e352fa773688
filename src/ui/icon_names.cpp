#include "ui/icon_names.hpp"

#include <algorithm>

#include <gtkmm/icontheme.h>
#include <gtkmm/window.h>

#include "model/app_paths.hpp"

namespace quenlith {

const std::vector<std::pair<std::string_view, std::string_view>>& symbolIconTable() {
    // Sorted by symbol name, so lookups can search it.
    static const std::vector<std::pair<std::string_view, std::string_view>> table = [] {
        std::vector<std::pair<std::string_view, std::string_view>> rows = {
            {"arrow.clockwise", "view-refresh-symbolic"},
            {"arrow.down", "go-down-symbolic"},
            {"arrow.down.circle", "folder-download-symbolic"},
            {"arrow.up", "go-up-symbolic"},
            {"arrow.up.right", "send-to-symbolic"},
            {"bookmark", "bookmark-new-symbolic"},
            {"checkmark.circle", "object-select-symbolic"},
            {"checkmark.circle.fill", "emblem-ok-symbolic"},
            {"chevron.down", "go-down-symbolic"},
            {"chevron.left", "go-previous-symbolic"},
            {"chevron.right", "go-next-symbolic"},
            {"chevron.up", "go-up-symbolic"},
            {"circle.lefthalf.filled", "quenlith-half-circle-symbolic"},
            // Drawn at full strength: the theme's radio outline is faint.
            {"circle", "quenlith-circle-symbolic"},
            {"clock", "document-open-recent-symbolic"},
            {"doc.text", "text-x-generic-symbolic"},
            {"ellipsis", "view-more-horizontal-symbolic"},
            {"ellipsis.circle", "view-more-horizontal-symbolic"},
            {"externaldrive", "drive-harddisk-symbolic"},
            {"gearshape", "emblem-system-symbolic"},
            // A neutral page: the theme's web-browser globe is the mark of a suggested website.
            {"globe", "quenlith-web-page-symbolic"},
            {"hand.raised", "quenlith-hand-raised-symbolic"},
            {"hand.raised.fill", "quenlith-hand-raised-symbolic"},
            {"link.badge.plus", "insert-link-symbolic"},
            // The theme's window-restore glyph is drawn at half the size of the other symbols.
            {"macwindow", "quenlith-window-symbolic"},
            {"macwindow.badge.plus", "window-new-symbolic"},
            {"macwindow.on.rectangle", "quenlith-windows-symbolic"},
            {"magnifyingglass", "edit-find-symbolic"},
            {"minus.circle", "list-remove-symbolic"},
            {"paintbrush", "applications-graphics-symbolic"},
            {"person.2", "system-users-symbolic"},
            {"person.badge.plus", "contact-new-symbolic"},
            {"person.crop.rectangle", "avatar-default-symbolic"},
            {"pin.fill", "quenlith-pin-symbolic"},
            {"plus", "list-add-symbolic"},
            {"plus.circle", "list-add-symbolic"},
            {"rectangle.3.group", "view-grid-symbolic"},
            {"shield.lefthalf.filled", "security-high-symbolic"},
            {"square.grid.2x2", "view-app-grid-symbolic"},
            {"square.stack.3d.up", "quenlith-stack-symbolic"},
            {"trash", "user-trash-symbolic"},
            {"xmark", "window-close-symbolic"},
            {"xmark.circle.fill", "window-close-symbolic"},
        };
        std::sort(rows.begin(), rows.end());
        return rows;
    }();
    return table;
}

std::string iconNameForSymbol(std::string_view symbol) {
    const auto& table = symbolIconTable();
    auto found = std::lower_bound(table.begin(), table.end(), symbol,
                                  [](const auto& row, std::string_view key) { return row.first < key; });
    if (found == table.end() || found->first != symbol) return {};
    return std::string(found->second);
}

bool iconIsAvailable(const std::string& iconName) {
    installApplicationIcons();
    auto theme = Gtk::IconTheme::get_default();
    // has_icon() does not see icons that lie directly in a search-path folder; a lookup does.
    return theme && !iconName.empty() &&
           static_cast<bool>(theme->lookup_icon(iconName, 16, Gtk::IconLookupFlags(0)));
}

void installApplicationIcons() {
    static bool installed = false;
    if (installed) return;
    auto theme = Gtk::IconTheme::get_default();
    if (!theme) return;
    // Icons placed directly in a search-path folder are found as unthemed icons.
    theme->append_search_path(resourcePath("icons"));
    installed = true;
}

void useApplicationIconForWindows() {
    installApplicationIcons();
    auto theme = Gtk::IconTheme::get_default();
    if (!theme) return;
    // A few sizes, so no window manager scales a large picture down for a title bar.
    std::vector<Glib::RefPtr<Gdk::Pixbuf>> sizes;
    for (int size : {16, 24, 32, 48, 64}) {
        try {
            if (auto icon = theme->load_icon(kApplicationIcon, size, Gtk::ICON_LOOKUP_FORCE_SIZE))
                sizes.push_back(icon);
        } catch (const Glib::Error&) {
            // Not installed and not beside the binary: the windows keep the desktop's own icon.
        }
    }
    if (!sizes.empty()) Gtk::Window::set_default_icon_list(sizes);
}

}  // namespace quenlith
