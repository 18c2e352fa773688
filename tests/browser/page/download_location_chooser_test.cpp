#include <gtest/gtest.h>
#include <gtk/gtk.h>

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

class SaveDialogTest : public ::testing::Test {
protected:
    void ask(const std::string& name, GtkWindow* parent) {
        chooser.chooseLocation(name, parent, [this](std::optional<std::string> path) {
            ++replies;
            answer = std::move(path);
        });
    }
    test::TemporaryEnvironment environment;
    SaveDialogLocationChooser chooser;
    int replies = 0;
    std::optional<std::string> answer;
};

TEST_F(SaveDialogTest, ProposesTheNameAndGivesTheChosenPath) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(window);
    ask("report.pdf", GTK_WINDOW(window));
    GtkFileChooser* dialog = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (dialog = openChooserDialog()) != nullptr; }));
    char* name = gtk_file_chooser_get_current_name(dialog);
    EXPECT_STREQ(name, "report.pdf");
    g_free(name);
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), GTK_WINDOW(window));
    // While it is open the window has a dialog, so nothing else attaches to it.
    EXPECT_FALSE(canAttachDialog(GTK_WINDOW(window)));

    const std::string target = environment.root() + "/report.pdf";
    gtk_file_chooser_set_current_folder(dialog, environment.root().c_str());
    ASSERT_TRUE(spinUntil([&] {
        char* chosen = gtk_file_chooser_get_filename(dialog);
        bool ready = chosen && target == chosen;
        g_free(chosen);
        return ready;
    }));
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    ASSERT_TRUE(spinUntil([&] { return replies == 1; }));
    EXPECT_EQ(answer, target);
    EXPECT_TRUE(spinUntil([&] { return openChooserDialog() == nullptr; }));
    EXPECT_TRUE(canAttachDialog(GTK_WINDOW(window)));
    gtk_widget_destroy(window);
}

TEST_F(SaveDialogTest, CancellingGivesNoPathAndAFreeStandingDialogHasNoParent) {
    ask("notes.txt", nullptr);
    GtkFileChooser* dialog = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (dialog = openChooserDialog()) != nullptr; }));
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(dialog)), nullptr);
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    ASSERT_TRUE(spinUntil([&] { return replies == 1; }));
    EXPECT_EQ(answer, std::nullopt);
}

}  // namespace
}  // namespace quenlith
