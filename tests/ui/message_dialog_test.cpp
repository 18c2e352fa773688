// How the application's message dialogs read to a screen reader: by their heading, then their kind.
#include <atkmm/object.h>
#include <gtest/gtest.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "support/accessibility_walk.hpp"
#include "support/main_loop.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {
namespace {

// Every kind of dialog, with a name isolated for display in its heading and its message, standing
// alone or attached: titled as headed, named by the heading without the marks, described by its
// kind, its texts read without the marks; a message changed later is read so as well.
TEST(MessageDialog, IsNamedByItsHeadingAndDescribedByItsKind) {
    const struct {
        Gtk::MessageType type;
        const char* kind;
    } kinds[] = {{Gtk::MESSAGE_INFO, "Information"},
                 {Gtk::MESSAGE_WARNING, "Warning"},
                 {Gtk::MESSAGE_ERROR, "Error"},
                 {Gtk::MESSAGE_QUESTION, "Question"}};
    Gtk::Window parent;
    parent.show();
    const std::string title = "Delete “\u2068Mail\u2069”?";
    const std::string message = "“\u2068Mail\u2069” and its windows go.";
    for (const auto& [type, kind] : kinds) {
        for (Gtk::Window* attachedTo : {static_cast<Gtk::Window*>(nullptr), &parent}) {
            SCOPED_TRACE(std::string(kind) + (attachedTo ? ", attached" : ", alone"));
            auto dialog = makeMessageDialog(type, title, message, attachedTo, /*modal=*/attachedTo != nullptr);
            EXPECT_EQ(dialog->get_transient_for(), attachedTo);
            EXPECT_EQ(dialog->get_modal(), attachedTo != nullptr);
            EXPECT_EQ(dialog->property_text().get_value(), "Delete “Mail”?") << "shown as read";
            EXPECT_EQ(dialog->property_secondary_text().get_value(), "“Mail” and its windows go.");
            EXPECT_EQ(dialog->get_title(), "Delete “Mail”?") << "titled in the window list as it is headed";
            auto accessible = dialog->get_accessible();
            EXPECT_EQ(accessible->get_name(), "Delete “Mail”?");
            EXPECT_EQ(accessible->get_description(), kind);
            dialog->show();
            ASSERT_TRUE(test::spinUntil([&] { return dialog->get_mapped(); }));
            EXPECT_EQ(test::accessibilityProblems(*dialog), std::vector<std::string>{});
            dialog->set_secondary_text("Now “Notes” too.");
            EXPECT_EQ(test::accessibilityProblems(*dialog), std::vector<std::string>{});
        }
    }
    // No message: only the heading shows.
    auto bare = makeMessageDialog(Gtk::MESSAGE_QUESTION, "Rename Page Group", "");
    EXPECT_EQ(bare->get_accessible()->get_name(), "Rename Page Group");
    EXPECT_EQ(bare->property_secondary_text().get_value(), "");
}

}  // namespace
}  // namespace quenlith
