#include "app/backup_dialogs.hpp"

#include <map>
#include <memory>

#include <glibmm/main.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "model/localization.hpp"
#include "ui/alert.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {

namespace {

Gtk::Window* visibleWindow(const std::function<Gtk::Window*()>& parent) {
    Gtk::Window* window = parent ? parent() : nullptr;
    return window && window->get_visible() ? window : nullptr;
}

Glib::RefPtr<Gtk::FileFilter> filterFor(BackupDialogs::FileType type) {
    auto filter = Gtk::FileFilter::create();
    if (type == BackupDialogs::FileType::json) {
        filter->set_name(localizedString("JSON Files"));
        filter->add_mime_type("application/json");
        filter->add_pattern("*.json");
    } else {
        filter->set_name(localizedString("Markdown Files"));
        filter->add_mime_type("text/markdown");
        filter->add_pattern("*.md");
    }
    return filter;
}

// The backup choosers and questions open now, by title: each command keeps one at a time, and
// asking again brings the open one forward instead of opening another.
struct OpenDialogs {
    std::map<std::string, Glib::RefPtr<Gtk::FileChooserNative>> choosers;
    // Each deletes itself once answered, leaving this first.
    std::map<std::string, Gtk::MessageDialog*> questions;
};

// Brings forward the chooser titled `title` that is open: the toolkit's own dialog stands in for
// a native one where the desktop offers none. A chooser of the desktop's portal stays where it is.
void bringChooserForward(const std::string& title) {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (GTK_IS_FILE_CHOOSER_DIALOG(window->gobj()) && window->get_visible() &&
            window->get_title() == title) {
            window->present();
            return;
        }
}

// Whether a chooser or question titled `title` is open; then it is brought forward.
bool alreadyOpen(const OpenDialogs& open, const std::string& title) {
    if (auto question = open.questions.find(title); question != open.questions.end()) {
        question->second->present();
        return true;
    }
    if (!open.choosers.contains(title)) return false;
    bringChooserForward(title);
    return true;
}

// Runs the chooser without blocking and hands its answer on; the chooser keeps itself alive
// (in `open`, under its title) until it has answered.
void runChooser(const Glib::RefPtr<Gtk::FileChooserNative>& chooser, Gtk::Window* parent,
                const std::shared_ptr<OpenDialogs>& open, const std::string& title,
                BackupDialogs::Chosen chosen) {
    if (parent) chooser->set_transient_for(*parent);
    chooser->set_modal(true);
    open->choosers[title] = chooser;
    std::weak_ptr<OpenDialogs> weak = open;
    chooser->signal_response().connect([weak, title, chosen = std::move(chosen)](int response) {
        auto dialogs = weak.lock();
        if (!dialogs) return;
        auto found = dialogs->choosers.find(title);
        if (found == dialogs->choosers.end()) return;
        Glib::RefPtr<Gtk::FileChooserNative> answered = std::move(found->second);
        dialogs->choosers.erase(found);
        std::optional<std::string> path;
        if (response == Gtk::RESPONSE_ACCEPT) {
            std::string file = answered->get_filename();
            if (!file.empty()) path = file;
        }
        // Released once this handler has returned: the chooser outlives its own signal.
        Glib::signal_idle().connect_once([answered] {});
        chosen(std::move(path));
    });
    chooser->show();
}

}  // namespace

BackupDialogs makeBackupDialogs(std::function<Gtk::Window*()> parent) {
    BackupDialogs dialogs;
    // Held by the commands: a chooser answered after they are gone finds nobody waiting.
    auto open = std::make_shared<OpenDialogs>();
    dialogs.chooseSaveFile = [parent, open](const std::string& suggestedName, BackupDialogs::FileType type,
                                            BackupDialogs::Chosen chosen) {
        const std::string title =
            localizedString(type == BackupDialogs::FileType::json ? "Export Backup" : "Export Markdown");
        if (alreadyOpen(*open, title)) return;
        auto chooser = Gtk::FileChooserNative::create(title, Gtk::FILE_CHOOSER_ACTION_SAVE,
                                                      localizedString("Save"), localizedString("Cancel"));
        chooser->set_current_name(suggestedName);
        chooser->set_do_overwrite_confirmation(true);
        chooser->set_create_folders(true);
        chooser->add_filter(filterFor(type));
        runChooser(chooser, visibleWindow(parent), open, title, std::move(chosen));
    };
    dialogs.chooseBackupFile = [parent, open](BackupDialogs::Chosen chosen) {
        const std::string title = localizedString("Import Backup");
        if (alreadyOpen(*open, title)) return;
        auto chooser = Gtk::FileChooserNative::create(title, Gtk::FILE_CHOOSER_ACTION_OPEN,
                                                      localizedString("Open"), localizedString("Cancel"));
        chooser->set_select_multiple(false);
        chooser->add_filter(filterFor(BackupDialogs::FileType::json));
        runChooser(chooser, visibleWindow(parent), open, title, std::move(chosen));
    };
    dialogs.ask = [parent, open](const std::string& title, const std::string& message, const std::string& confirm,
                                 bool destructive, std::function<void(bool)> answer) {
        if (alreadyOpen(*open, title)) return;
        Gtk::Window* window = visibleWindow(parent);
        if (window && hasAttachedSheet(*window)) window = nullptr;
        // Never run nested: the answer arrives through the response, the dialog deletes itself.
        Gtk::MessageDialog* dialog = makeMessageDialog(Gtk::MESSAGE_QUESTION, title, message, window).release();
        dialog->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
        Gtk::Button* confirmButton = dialog->add_button(confirm, Gtk::RESPONSE_ACCEPT);
        if (destructive) confirmButton->get_style_context()->add_class("destructive-action");
        open->questions[title] = dialog;
        dialog->signal_response().connect([dialog, weak = std::weak_ptr<OpenDialogs>(open), title,
                                           answer = std::move(answer)](int response) {
            if (auto dialogs = weak.lock()) dialogs->questions.erase(title);
            dialog->hide();
            Glib::signal_idle().connect_once([dialog] { delete dialog; });
            answer(response == Gtk::RESPONSE_ACCEPT);
        });
        dialog->show();
    };
    dialogs.alert = [parent](AlertKind kind, const std::string& title, const std::string& message) {
        presentAlert(kind, title, message, visibleWindow(parent));
    };
    return dialogs;
}

}  // namespace quenlith
