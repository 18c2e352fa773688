#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "support/main_loop.hpp"
#include "support/toolkit_warnings.hpp"
#include "ui/chooser_location.hpp"

namespace quenlith {
namespace {

// A completing entry, as the chooser's location is: typed into while its list of names is gone,
// it stops completing inline, and nothing is logged; typed into with a list, it goes on.
TEST(ChooserLocation, TypingWithoutAListOfNamesStopsInlineCompletion) {
    quietChooserLocation();
    quietChooserLocation();  // once is enough: each key is looked at once
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* entry = gtk_entry_new();
    GtkEntryCompletion* completion = gtk_entry_completion_new();
    GtkListStore* names = gtk_list_store_new(1, G_TYPE_STRING);
    gtk_entry_completion_set_text_column(completion, 0);
    gtk_entry_set_completion(GTK_ENTRY(entry), completion);
    gtk_container_add(GTK_CONTAINER(window), entry);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(entry);
    auto type = [&](const char* text) {
        int position = gtk_entry_get_text_length(GTK_ENTRY(entry));
        gtk_editable_insert_text(GTK_EDITABLE(entry), text, -1, &position);
        // The completion runs when the main loop is next idle.
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    };
    for (bool listed : {true, false}) {
        SCOPED_TRACE(listed ? "with a list" : "without a list");
        gtk_entry_completion_set_model(completion, listed ? GTK_TREE_MODEL(names) : nullptr);
        gtk_entry_completion_set_inline_completion(completion, TRUE);
        const int warnings = test::toolkitWarningCount();
        type("/missing/b");
        EXPECT_EQ(gtk_entry_completion_get_inline_completion(completion), listed);
        EXPECT_EQ(test::toolkitWarningCount(), warnings);
    }
    g_object_unref(completion);
    g_object_unref(names);
    gtk_widget_destroy(window);
}

GdkEvent* keyPress(GtkWidget* window) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.keyval = GDK_KEY_b;
    event->key.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event,
                         gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    return event;
}

// A key reaching a chooser whose focused control sits in a part not yet set up on the screen (its
// location bar, just asked for) finds that part set up, and nothing is logged. Other windows are
// left alone.
TEST(ChooserLocation, AKeyForTheChooserFindsItsFocusedPartSetUp) {
    quietChooserLocation();
    for (bool chooser : {true, false}) {
        SCOPED_TRACE(chooser ? "a file chooser" : "another dialog");
        GtkWidget* window =
            chooser ? gtk_file_chooser_dialog_new("Import Backup", nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
                                                  "_Cancel", GTK_RESPONSE_CANCEL, nullptr)
                    : gtk_dialog_new();
        GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        GtkWidget* entry = gtk_entry_new();
        gtk_container_add(GTK_CONTAINER(bar), entry);
        gtk_widget_show(entry);
        // Elsewhere the window keeps the key to itself: passed on, the toolkit would log, as it
        // does in a chooser.
        if (!chooser)
            g_signal_connect(window, "key-press-event",
                             G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean { return TRUE; }),
                             nullptr);
        gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(window))), bar, FALSE, FALSE, 0);
        gtk_widget_show(window);
        ASSERT_TRUE(test::spinUntil([&] { return gtk_widget_get_mapped(window); }));
        gtk_window_set_focus(GTK_WINDOW(window), entry);
        ASSERT_FALSE(gtk_widget_get_realized(bar));
        const int warnings = test::toolkitWarningCount();
        GdkEvent* event = keyPress(window);
        gtk_widget_event(window, event);
        gdk_event_free(event);
        EXPECT_EQ(gtk_widget_get_realized(bar), chooser);
        EXPECT_EQ(test::toolkitWarningCount(), warnings);
        gtk_widget_destroy(window);
    }
}

}  // namespace
}  // namespace quenlith
