#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "support/toolkit_warnings.hpp"
#include "ui/defunct_accessibles.hpp"

namespace quenlith {
namespace {

void collectWidgetTypes(GType type, std::vector<GType>& types) {
    guint count = 0;
    GType* children = g_type_children(type, &count);
    for (guint index = 0; index < count; ++index) {
        if (!G_TYPE_IS_ABSTRACT(children[index])) types.push_back(children[index]);
        collectWidgetTypes(children[index], types);
    }
    g_free(children);
}

// What is wrong when an accessible object whose widget has gone is read the way the accessibility
// bridge reads what it holds: its states first, then (for a reader asking) its place, children,
// names and attributes. Empty when it reads as defunct and nothing is logged.
std::string problemReadingDefunct(AtkObject* accessible) {
    const int warnings = test::toolkitWarningCount();
    std::string problem;
    if (AtkStateSet* states = atk_object_ref_state_set(accessible)) {
        if (!atk_state_set_contains_state(states, ATK_STATE_DEFUNCT)) problem = "not defunct";
        g_object_unref(states);
    } else {
        problem = "no state set";
    }
    atk_object_get_role(accessible);
    atk_object_get_parent(accessible);
    atk_object_get_index_in_parent(accessible);
    atk_object_get_n_accessible_children(accessible);
    if (AtkObject* child = atk_object_ref_accessible_child(accessible, 0)) g_object_unref(child);
    atk_object_get_name(accessible);
    atk_object_get_description(accessible);
    if (AtkRelationSet* relations = atk_object_ref_relation_set(accessible)) g_object_unref(relations);
    atk_attribute_set_free(atk_object_get_attributes(accessible));
    if (test::toolkitWarningCount() != warnings) problem += " logs";
    return problem;
}

// Every widget of the toolkit, destroyed while something still holds its accessible object (as
// the bridge does for a few seconds after it told a reader about it), reads as defunct without a
// message in the log.
TEST(DefunctAccessibles, EveryToolkitWidgetsAccessibleReadsAsDefunctOnceTheWidgetHasGone) {
    keepDefunctAccessiblesReadable();
    keepDefunctAccessiblesReadable();  // once is enough: nothing is wrapped twice
    gtk_test_register_all_types();
    std::vector<GType> types;
    collectWidgetTypes(GTK_TYPE_WIDGET, types);
    ASSERT_GT(types.size(), 100u);
    std::vector<std::string> problems;
    for (GType type : types) {
        GtkWidget* widget = GTK_WIDGET(g_object_ref_sink(g_object_new(type, nullptr)));
        AtkObject* accessible = ATK_OBJECT(g_object_ref(gtk_widget_get_accessible(widget)));
        gtk_widget_destroy(widget);
        g_object_unref(widget);
        if (std::string problem = problemReadingDefunct(accessible); !problem.empty())
            problems.push_back(std::string(g_type_name(type)) + " (" + G_OBJECT_TYPE_NAME(accessible) +
                               "): " + problem);
        g_object_unref(accessible);
    }
    EXPECT_EQ(problems, std::vector<std::string>{});
}

// A live widget's accessible object still answers with the toolkit's own states and children.
TEST(DefunctAccessibles, ALiveWidgetsAccessibleReadsAsBefore) {
    keepDefunctAccessiblesReadable();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWidget* button = gtk_toggle_button_new_with_label("Pin");
    gtk_container_add(GTK_CONTAINER(window), button);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), TRUE);
    AtkObject* accessible = gtk_widget_get_accessible(button);
    AtkStateSet* states = atk_object_ref_state_set(accessible);
    EXPECT_TRUE(atk_state_set_contains_state(states, ATK_STATE_CHECKED));
    EXPECT_TRUE(atk_state_set_contains_state(states, ATK_STATE_ENABLED));
    EXPECT_FALSE(atk_state_set_contains_state(states, ATK_STATE_DEFUNCT));
    g_object_unref(states);
    EXPECT_EQ(atk_object_get_n_accessible_children(gtk_widget_get_accessible(window)), 1);
    gtk_widget_destroy(window);
}

}  // namespace
}  // namespace quenlith
