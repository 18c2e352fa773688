// The backup commands' choosers and question as the desktop shows them (GTK's own choosers: the
// private test bus has no portal).
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/dialog.h>
#include <gtkmm/window.h>

#include "app/backup_dialogs.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// The shown windows of the type titled `title`.
std::vector<Gtk::Dialog*> shown(GType type, const std::string& title) {
    std::vector<Gtk::Dialog*> found;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (G_TYPE_CHECK_INSTANCE_TYPE(window->gobj(), type) && window->get_visible() &&
            window->get_title() == title)
            found.push_back(dynamic_cast<Gtk::Dialog*>(window));
    return found;
}

// Asked again while its chooser is open, a command opens no second one; once answered, it opens
// anew. Each command keeps its own. The import's question is titled as it is headed.
TEST(BackupDialogsTest, EachCommandHasOneChooserAtATimeAndTheQuestionATitle) {
    test::TemporaryEnvironment environment;
    BackupDialogs dialogs = makeBackupDialogs(nullptr);
    std::vector<std::string> answers;
    auto recorded = [&answers](std::string what) {
        return [&answers, what](std::optional<std::string> path) {
            answers.push_back(what + path.value_or("none"));
        };
    };
    const struct {
        std::string title;
        std::function<void()> ask;
    } commands[] = {
        {"Import Backup", [&] { dialogs.chooseBackupFile(recorded("import ")); }},
        {"Export Backup",
         [&] {
             dialogs.chooseSaveFile("Quenlith-backup.json", BackupDialogs::FileType::json,
                                    recorded("export "));
         }},
    };
    for (const auto& command : commands)
        for (int i = 0; i < 3; ++i) command.ask();
    Gtk::Window other;
    for (const auto& command : commands) {
        SCOPED_TRACE(command.title);
        auto choosers = shown(GTK_TYPE_FILE_CHOOSER_DIALOG, command.title);
        ASSERT_EQ(choosers.size(), 1u);
        // Asked again while another window has the focus, the open chooser comes forward with it.
        ASSERT_TRUE(spinUntil([&] {
            if (!other.is_active()) other.present();
            return other.is_active();
        }));
        command.ask();
        EXPECT_TRUE(spinUntil([&] { return choosers[0]->is_active(); }));
        choosers[0]->response(Gtk::RESPONSE_CANCEL);
        ASSERT_TRUE(spinUntil([&] { return shown(GTK_TYPE_FILE_CHOOSER_DIALOG, command.title).empty(); }));
        command.ask();
        choosers = shown(GTK_TYPE_FILE_CHOOSER_DIALOG, command.title);
        ASSERT_EQ(choosers.size(), 1u) << "answered, the command opens its chooser again";
        choosers[0]->response(Gtk::RESPONSE_CANCEL);
    }
    EXPECT_EQ(answers,
              (std::vector<std::string>{"import none", "import none", "export none", "export none"}));

    std::optional<bool> agreed;
    dialogs.ask("Import Backup", "Add 1 website.", "Import", false, [&](bool answer) { agreed = answer; });
    auto questions = shown(GTK_TYPE_MESSAGE_DIALOG, "Import Backup");
    ASSERT_EQ(questions.size(), 1u) << "the question's window has its title";
    questions[0]->response(Gtk::RESPONSE_ACCEPT);
    EXPECT_TRUE(spinUntil([&] { return agreed == true; }));
}

}  // namespace
}  // namespace quenlith
