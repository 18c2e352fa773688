#include "ui/shown_keys.hpp"

#include <gtk/gtk.h>

#include "model/command_keys.hpp"

namespace quenlith {

std::string shownCommandKey(std::string_view action) {
    const auto keys = commandAccelerators(action);
    if (keys.empty()) return {};
    guint key = 0;
    GdkModifierType modifiers{};
    gtk_accelerator_parse(std::string(keys.front()).c_str(), &key, &modifiers);
    // The text a menu's accelerator label draws for the same key.
    gchar* label = gtk_accelerator_get_label(key, modifiers);
    std::string text = label ? label : "";
    g_free(label);
    return text;
}

BrowserKeys shownBrowserKeys() {
    return {shownCommandKey("back"), shownCommandKey("forward"), shownCommandKey("previousTab"),
            shownCommandKey("nextTab")};
}

}  // namespace quenlith
