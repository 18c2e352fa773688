#include <gtest/gtest.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/liststore.h>
#include <gtkmm/treeview.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "ui/cell_names.hpp"

namespace quenlith {
namespace {

struct Columns : Gtk::TreeModelColumnRecord {
    Gtk::TreeModelColumn<Glib::ustring> markup;
    Columns() { add(markup); }
};

// The text cells of a list read as they show, without the marks that isolate the title; other
// cells' texts are read as they were.
TEST(CellNames, ATextCellReadsWithoutTheIsolationMarks) {
    readCellTextsWithoutIsolation();
    readCellTextsWithoutIsolation();  // once is enough: the name is not stripped of its marks twice
    Columns columns;
    auto model = Gtk::ListStore::create(columns);
    for (const std::string& title : {std::string("\u2068Mail\u2069"), std::string("Plain")})
        (*model->append())[columns.markup] = "<b>" + title + "</b>\nexample.com";
    Gtk::TreeView list(model);
    auto* cell = Gtk::manage(new Gtk::CellRendererText());
    auto* column = Gtk::manage(new Gtk::TreeViewColumn());
    column->pack_start(*cell, true);
    column->add_attribute(cell->property_markup(), columns.markup);
    list.append_column(*column);
    list.set_headers_visible(false);
    Gtk::Window window;
    window.add(list);
    window.show_all();
    ASSERT_TRUE(test::spinUntil([&] { return list.get_realized(); }));

    AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(list.gobj()));
    std::vector<std::string> names;
    for (int index = 0; index < atk_object_get_n_accessible_children(accessible); ++index) {
        AtkObject* child = atk_object_ref_accessible_child(accessible, index);
        if (atk_object_get_role(child) == ATK_ROLE_TABLE_CELL) names.push_back(atk_object_get_name(child));
        g_object_unref(child);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Mail\nexample.com", "Plain\nexample.com"}));
}

}  // namespace
}  // namespace quenlith
