#include "browser/page/download_location_chooser.hpp"

#include <glib.h>
#include <glibmm/main.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/window.h>

#include "model/localization.hpp"
#include "ui/alert.hpp"
#include "ui/asked_window.hpp"

namespace quenlith {

std::string downloadFolder() {
    const char* folder = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    if (folder && g_file_test(folder, G_FILE_TEST_IS_DIR)) return folder;
    return g_get_home_dir();
}

bool canAttachDialog(GtkWindow* window) {
    if (!window || !gtk_widget_get_visible(GTK_WIDGET(window)) ||
        gtk_widget_in_destruction(GTK_WIDGET(window)))
        return false;
    return !hasAttachedSheet(*Glib::wrap(window));
}

SaveDialogLocationChooser::SaveDialogLocationChooser(std::function<std::string()> folder)
    : folder_(std::move(folder)) {}

SaveDialogLocationChooser::~SaveDialogLocationChooser() {
    for (auto& [key, dialog] : open_) dialog->hide();
}

void SaveDialogLocationChooser::chooseLocation(const std::string& fileName, GtkWindow* parent, Reply reply) {
    auto dialog = Gtk::FileChooserNative::create(localizedString("Save Download"), Gtk::FILE_CHOOSER_ACTION_SAVE);
    if (parent) {
        dialog->set_transient_for(*Glib::wrap(parent));
        dialog->set_modal(true);
    }
    // Downloads go to the user's download folder, not wherever the process was started.
    dialog->set_current_folder(folder_ ? folder_() : downloadFolder());
    dialog->set_current_name(fileName);
    dialog->set_create_folders(true);
    dialog->set_do_overwrite_confirmation(true);
    int key = nextKey_++;
    open_[key] = dialog;
    dialog->signal_response().connect([this, key, reply = std::move(reply)](int response) {
        auto found = open_.find(key);
        if (found == open_.end()) return;
        std::optional<std::string> path;
        if (response == GTK_RESPONSE_ACCEPT) {
            std::string chosen = found->second->get_filename();
            if (!chosen.empty()) path = std::move(chosen);
        }
        // The dialog is released after its own signal has returned.
        Glib::RefPtr<Gtk::FileChooserNative> finished = found->second;
        open_.erase(found);
        Glib::signal_idle().connect_once([finished] {});
        reply(std::move(path));
    });
    // The toolkit's own chooser is kept as a sheet of its window, which has the focus back as it
    // is answered.
    if (parent)
        runAskedDialog(*Glib::wrap(parent), [&] { dialog->show(); });
    else
        dialog->show();
}

}  // namespace quenlith
