// The backup commands' choosers and question as the desktop shows them (GTK's own choosers: the
// private test bus has no portal).
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/dialog.h>
#include <gtkmm/window.h>

#include "app/backup_dialogs.hpp"
#include "model/library_store.hpp"
#include "model/transfer_document.hpp"
#include "model/web_app_store.hpp"
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
    int answers = 0;
    auto answered = [&answers](std::optional<std::string> path) { answers += !path; };
    const std::pair<std::string, std::function<void()>> commands[] = {
        {"Import Backup", [&] { dialogs.chooseBackupFile(answered); }},
        {"Export Backup", [&] { dialogs.chooseSaveFile("b.json", BackupDialogs::FileType::json, answered); }},
    };
    for (int i = 0; i < 3; ++i)
        for (const auto& command : commands) command.second();
    Gtk::Window other;
    for (const auto& [title, ask] : commands) {
        SCOPED_TRACE(title);
        auto choosers = shown(GTK_TYPE_FILE_CHOOSER_DIALOG, title);
        ASSERT_EQ(choosers.size(), 1u);
        // Asked again while another window has the focus, the open chooser comes forward with it.
        ASSERT_TRUE(spinUntil([&] { return other.is_active() || (other.present(), false); }));
        ask();
        EXPECT_TRUE(spinUntil([&] { return choosers[0]->is_active(); }));
        choosers[0]->response(Gtk::RESPONSE_CANCEL);
        ask();
        choosers = shown(GTK_TYPE_FILE_CHOOSER_DIALOG, title);
        ASSERT_EQ(choosers.size(), 1u) << "answered, the command opens its chooser again";
        choosers[0]->response(Gtk::RESPONSE_CANCEL);
    }
    EXPECT_EQ(answers, 4);

    std::optional<bool> agreed;
    dialogs.ask("Import Backup", "Add 1 website.", "Import", false, [&](bool answer) { agreed = answer; });
    auto questions = shown(GTK_TYPE_MESSAGE_DIALOG, "Import Backup");
    ASSERT_EQ(questions.size(), 1u) << "the question's window has its title";
    questions[0]->response(Gtk::RESPONSE_ACCEPT);
    EXPECT_TRUE(spinUntil([&] { return agreed == true; }));
}

// Started again while its question asks, an import brings that question forward and asks no
// second one, whether the backup was chosen anew or the command opens its chooser again; once
// answered, an import asks anew.
TEST(BackupDialogsTest, AnImportAsksOneQuestionAtATime) {
    test::TemporaryEnvironment environment;
    WebAppStore websites(environment.root() + "/profiles.json");
    LibraryStore library(environment.root() + "/library.json");
    BackupTransfer backups(websites, library, makeBackupDialogs(nullptr));
    const std::string backup = environment.root() + "/Quenlith-backup.json";
    test::writeFile(backup, *encodeTransferDocument(TransferDocument(
                                {WebAppProfile{.name = "Example", .homeURL = "https://example.com"}}, {})));
    auto questions = [] { return shown(GTK_TYPE_MESSAGE_DIALOG, "Import Backup"); };

    backups.importBackup(backup);
    ASSERT_TRUE(spinUntil([&] { return questions().size() == 1; }));
    Gtk::Dialog* question = questions()[0];
    Gtk::Window other;
    const std::pair<const char*, std::function<void()>> again[] = {
        {"the backup chosen again", [&] { backups.importBackup(backup); }},
        {"the command's chooser", [&] { backups.chooseBackupToImport(); }},
    };
    for (const auto& [what, start] : again) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(spinUntil([&] { return other.is_active() || (other.present(), false); }));
        start();
        EXPECT_TRUE(spinUntil([&] { return question->is_active(); })) << "the open question comes forward";
        EXPECT_EQ(questions(), std::vector<Gtk::Dialog*>{question});
        EXPECT_TRUE(shown(GTK_TYPE_FILE_CHOOSER_DIALOG, "Import Backup").empty());
    }

    question->response(Gtk::RESPONSE_ACCEPT);
    ASSERT_TRUE(spinUntil([&] { return websites.profiles().size() == 1; }));
    backups.importBackup(backup);
    EXPECT_TRUE(spinUntil([&] { return questions().size() == 1; })) << "answered, an import asks anew";
    questions()[0]->response(Gtk::RESPONSE_CANCEL);
}

}  // namespace
}  // namespace quenlith
