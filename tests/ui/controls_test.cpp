#include <atkmm/object.h>
#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/menu.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "ui/action_button.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/alert.hpp"
#include "ui/icon_names.hpp"
#include "ui/wheel_guard.hpp"

namespace quenlith {
namespace {

using namespace std::chrono_literals;

// The visible message dialogs whose primary text is `title`.
std::vector<Gtk::MessageDialog*> dialogsTitled(const std::string& title) {
    std::vector<Gtk::MessageDialog*> found;
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
        if (dialog && dialog->get_visible() && dialog->property_text().get_value() == title)
            found.push_back(dialog);
    }
    return found;
}

TEST(IconNames, EverySymbolHasADrawableIcon) {
    for (const auto& [symbol, icon] : symbolIconTable()) {
        EXPECT_EQ(iconNameForSymbol(symbol), icon);
        EXPECT_TRUE(iconIsAvailable(std::string(icon))) << symbol << " -> " << icon;
    }
    EXPECT_FALSE(iconIsAvailable("quenlith-no-such-icon-symbolic"));
    EXPECT_EQ(iconNameForSymbol("no.such.symbol"), "");
    EXPECT_EQ(iconNameForSymbol("pin.fill"), "quenlith-pin-symbolic") << "our own icon";
}

TEST(ActionButton, StaysSquareAndASymbolWithoutIconKeepsTheText) {
    ActionButton button("chevron.left", "Back (Ctrl+[)");
    // The theme's padding does not make it larger.
    button.show();
    int minimum = 0, natural = 0;
    button.get_preferred_height(minimum, natural);
    EXPECT_EQ(minimum, 28);
    button.get_preferred_width(minimum, natural);
    EXPECT_EQ(minimum, 28);
    ActionButton mystery("no.such.symbol", "Mystery");
    EXPECT_FALSE(mystery.hasImage());
    EXPECT_EQ(mystery.get_accessible()->get_name(), "Mystery");
}

TEST(ActionButton, ClickRunsTheCurrentClosure) {
    ActionButton button("plus", "New Tab");
    button.clicked();  // no closure: nothing happens
    int first = 0, second = 0;
    button.onAction = [&] { ++first; };
    button.clicked();
    button.onAction = [&] { ++second; };
    button.clicked();
    button.clicked();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

TEST(ActionButton, AnotherSymbolBringsItsOwnDescriptionEverywhere) {
    ActionButton button("arrow.clockwise", "Reload (Ctrl+R)");
    for (const auto& [symbol, text] :
         {std::pair{"xmark", "Stop loading"}, {"arrow.clockwise", "Reload (Ctrl+R)"}}) {
        button.setSymbol(symbol, text);
        EXPECT_EQ(button.symbol(), symbol);
        EXPECT_EQ(button.imageDescription(), text);
        EXPECT_EQ(button.get_tooltip_text(), text);
        EXPECT_EQ(button.get_accessible()->get_name(), text);
    }
}

TEST(ActionMenuItem, ActivatingRunsTheHandlerAndTheTitleIsPlainText) {
    int runs = 0;
    Gtk::Menu menu;
    auto* item = Gtk::manage(new ActionMenuItem("<b>_Tab</b>", [&] { ++runs; }));
    menu.append(*item);
    EXPECT_EQ(item->get_label(), "<b>_Tab</b>");
    EXPECT_FALSE(item->get_use_underline());
    EXPECT_EQ(item->get_accel_path(), "");
    item->activate();
    EXPECT_EQ(runs, 1);
    item->invoke();
    EXPECT_EQ(runs, 2);
}

TEST(PresentAlert, AttachesToAVisibleWindowAndReturnsAtOnce) {
    Gtk::Window window;
    window.show();
    presentAlert("<i>Tab kept awake</i>", "Body text & more", &window);
    auto dialogs = dialogsTitled("<i>Tab kept awake</i>");
    ASSERT_EQ(dialogs.size(), 1u);
    Gtk::MessageDialog* sheet = dialogs.front();
    EXPECT_EQ(sheet->get_transient_for(), &window);
    EXPECT_TRUE(sheet->get_modal());
    EXPECT_FALSE(sheet->property_use_markup().get_value());
    EXPECT_EQ(sheet->property_secondary_text().get_value(), "Body text & more");
    EXPECT_EQ(attachedSheet(window), sheet);

    sheet->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(test::spinUntil([&] { return dialogsTitled("<i>Tab kept awake</i>").empty(); }));
    EXPECT_FALSE(hasAttachedSheet(window));
}

// Answers the first free-standing alert with `title` from inside its modal loop and records
// whether it was free-standing.
struct ModalAnswerer {
    std::string title;
    bool answered = false;
    bool freeStanding = false;
    sigc::connection timer;
    explicit ModalAnswerer(std::string t) : title(std::move(t)) {
        timer = Glib::signal_timeout().connect(
            [this] {
                for (auto* dialog : dialogsTitled(title)) {
                    if (dialog->get_transient_for() != nullptr) continue;
                    freeStanding = true;
                    answered = true;
                    dialog->response(Gtk::RESPONSE_OK);
                    return false;
                }
                return true;
            },
            20);
    }
    ~ModalAnswerer() { timer.disconnect(); }
};

TEST(PresentAlert, RunsModallyWithoutAWindow) {
    ModalAnswerer answerer("No window");
    presentAlert("No window", "", nullptr);  // returns once answered
    EXPECT_TRUE(answerer.answered);
    EXPECT_TRUE(answerer.freeStanding);
}

TEST(PresentAlert, RunsModallyWhenTheWindowAlreadyShowsADialog) {
    Gtk::Window window;
    window.show();
    presentAlert("First", "", &window);
    ASSERT_EQ(dialogsTitled("First").size(), 1u);

    ModalAnswerer answerer("Second");
    presentAlert("Second", "", &window);
    EXPECT_TRUE(answerer.answered);
    EXPECT_TRUE(answerer.freeStanding) << "no second dialog attached to the window";
    EXPECT_EQ(attachedSheet(window), dialogsTitled("First").front());
    dialogsTitled("First").front()->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(test::spinUntil([&] { return !hasAttachedSheet(window); }));
}

TEST(PresentAlert, HiddenWindowGetsAFreeStandingAlert) {
    Gtk::Window window;  // never shown
    ModalAnswerer answerer("Hidden");
    presentAlert("Hidden", "", &window);
    EXPECT_TRUE(answerer.freeStanding);
}

// A wheel turn over a picker in a scrolled form scrolls the form, focused or not; the picker keeps its row.
TEST(WheelGuard, APickerInAFormKeepsItsRowUnderTheWheel) {
    Gtk::Window window;
    Gtk::ScrolledWindow form;
    Gtk::ComboBoxText picker;
    for (const char* row : {"first", "second"}) picker.append(row);
    picker.set_active(0);
    form.add(picker);
    window.add(form);
    leaveWheelToScrolling(form);
    window.show_all();
    picker.grab_focus();
    GdkEvent* event = gdk_event_new(GDK_SCROLL);
    event->scroll.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->scroll.direction = GDK_SCROLL_DOWN;
    gtk_propagate_event(GTK_WIDGET(picker.gobj()), event);
    gdk_event_free(event);
    EXPECT_EQ(picker.get_active_row_number(), 0);
}

}  // namespace
}  // namespace quenlith
