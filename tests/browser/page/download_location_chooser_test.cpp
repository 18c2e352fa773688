#include <gtest/gtest.h>

#include "browser/page/download_location_chooser.hpp"
#include "browser/web_test_support.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// The visible file chooser dialog (GTK's own: the private test bus has no portal).
GtkFileChooser* openChooserDialog() {
    GtkWidget* dialog = test::visibleToplevel(GTK_TYPE_FILE_CHOOSER_DIALOG);
    return dialog ? GTK_FILE_CHOOSER(dialog) : nullptr;
}

TEST(SaveDialogTest, ProposesTheNameAndGivesTheChosenPathOrNothing) {
    test::TemporaryEnvironment environment;
    SaveDialogLocationChooser chooser([&] { return environment.root() + "/Fetched"; });
    std::vector<std::optional<std::string>> answers;
    // The dialog opens in the download folder, not wherever the process started.
    const std::string downloads = environment.root() + "/Fetched";
    g_mkdir_with_parents(downloads.c_str(), 0700);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(window);
    GtkFileChooser* dialog = nullptr;
    for (GtkWindow* parent : {GTK_WINDOW(window), static_cast<GtkWindow*>(nullptr)}) {
        chooser.chooseLocation("report.pdf", parent, [&](std::optional<std::string> path) { answers.push_back(path); });
        ASSERT_TRUE(spinUntil([&] { return (dialog = openChooserDialog()) != nullptr; }));
        EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), parent);
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Save Download");
        std::string folder;
        EXPECT_TRUE(spinUntil([&] {
            g_autofree char* current = gtk_file_chooser_get_current_folder(dialog);
            folder = current ? current : "";
            return downloads == folder;
        })) << folder;
        // While it is open the window has a dialog, so nothing else attaches to it.
        EXPECT_EQ(canAttachDialog(GTK_WINDOW(window)), !parent);
        if (!parent) {
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
            break;
        }
        gtk_file_chooser_set_current_folder(dialog, environment.root().c_str());
        ASSERT_TRUE(spinUntil([&] {
            char* chosen = gtk_file_chooser_get_filename(dialog);
            bool ready = chosen && environment.root() + "/report.pdf" == chosen;  // the proposed name
            g_free(chosen);
            return ready;
        }));
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
        ASSERT_TRUE(spinUntil([&] { return openChooserDialog() == nullptr; }));
        EXPECT_TRUE(canAttachDialog(GTK_WINDOW(window)));
    }
    ASSERT_TRUE(spinUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<std::optional<std::string>>{environment.root() + "/report.pdf", std::nullopt}));
    gtk_widget_destroy(window);
}

}  // namespace
}  // namespace quenlith
