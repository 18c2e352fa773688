#include <atkmm/object.h>
#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gdkmm/monitor.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/printunixdialog.h>
#include <gtk/gtkunixprint.h>
#include <gtkmm/menu.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "model/suggested_website.hpp"
#include "support/main_loop.hpp"
#include "ui/action_button.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/alert.hpp"
#include "ui/icon_names.hpp"
#include "ui/wheel_guard.hpp"
#include "ui/window_opacity_control.hpp"
#include "ui/work_area_fit.hpp"

namespace quenlith {
namespace {

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
    // A tab or website without an icon of its own never shows the mark of a suggested website.
    for (const auto& site : SuggestedWebsite::all())
        EXPECT_NE(iconNameForSymbol("globe"), site.symbol) << site.id;
}

TEST(ActionButton, StaysSquareRunsTheCurrentClosureAndASymbolBringsItsDescription) {
    ActionButton button("arrow.clockwise", "Reload (Ctrl+R)");
    // The theme's padding does not make it larger.
    button.show();
    int minimum = 0, natural = 0;
    button.get_preferred_height(minimum, natural);
    EXPECT_EQ(minimum, 28);
    button.get_preferred_width(minimum, natural);
    EXPECT_EQ(minimum, 28);
    ActionButton mystery("no.such.symbol", "Mystery");
    EXPECT_FALSE(mystery.hasImage());
    EXPECT_EQ(mystery.get_accessible()->get_name(), "Mystery") << "without an icon the text stays";

    button.clicked();  // no closure: nothing happens
    int first = 0, second = 0;
    button.setOnAction([&] { ++first; });
    button.clicked();
    button.setOnAction([&] { ++second; });
    button.clicked();
    button.clicked();
    EXPECT_EQ(std::pair(first, second), std::pair(1, 2));
    // A text with an isolated name shows so and reads without the marks.
    const struct {
        const char* symbol;
        std::string shown, read;
    } symbols[] = {{"xmark", "Stop loading", "Stop loading"},
                   {"arrow.clockwise", "Reload (Ctrl+R)", "Reload (Ctrl+R)"},
                   {"xmark", "Close \u2068Mail\u2069", "Close Mail"}};
    for (const auto& [symbol, shown, read] : symbols) {
        button.setSymbol(symbol, shown);
        EXPECT_EQ(button.symbol(), symbol);
        EXPECT_EQ(button.imageDescription(), read);
        EXPECT_EQ(button.get_tooltip_text(), shown);
        EXPECT_EQ(button.get_accessible()->get_name(), read);
    }
}

TEST(ActionMenuItem, ActivatingRunsTheHandlerAndTheTitleIsPlainText) {
    int runs = 0;
    Gtk::Menu menu;
    auto* item = Gtk::manage(new ActionMenuItem("<b>_Tab</b>", [&] { ++runs; }));
    menu.append(*item);
    EXPECT_EQ(item->get_label(), "<b>_Tab</b>");
    EXPECT_FALSE(item->get_use_underline());
    item->activate();
    EXPECT_EQ(runs, 1);
    item->invoke();
    EXPECT_EQ(runs, 2);
}

// Attached to a shown window without a dialog; else free-standing and modal. Alerts stacked over
// one another each return before the main loop turns again: an alert waiting in a loop of its own
// would keep a quit from ending the application. Each goes once answered, however often.
TEST(PresentAlert, AttachesToAFreeVisibleWindowElseStandsAloneAndNeverWaits) {
    Gtk::Window window;
    window.show();
    presentAlert(AlertKind::warning, "<i>Tab kept awake</i>", "Body text & more", &window);
    auto dialogs = dialogsTitled("<i>Tab kept awake</i>");
    ASSERT_EQ(dialogs.size(), 1u);
    Gtk::MessageDialog* sheet = dialogs.front();
    EXPECT_EQ(sheet->get_transient_for(), &window);
    EXPECT_TRUE(sheet->get_modal());
    EXPECT_FALSE(sheet->property_use_markup().get_value());
    EXPECT_EQ(sheet->property_secondary_text().get_value(), "Body text & more");
    EXPECT_EQ(sheet->property_message_type().get_value(), Gtk::MESSAGE_WARNING) << "announced as its kind";
    EXPECT_EQ(sheet->get_title(), "<i>Tab kept awake</i>") << "titled by what it says, as plain text";
    EXPECT_EQ(sheet->get_accessible()->get_name(), "<i>Tab kept awake</i>") << "heard by what it says";
    EXPECT_EQ(sheet->get_accessible()->get_description(), "Warning") << "then by its kind";
    EXPECT_EQ(attachedSheet(window), sheet);

    // A loop inside presentAlert would run this; it answers, so that such a loop ends.
    bool presenting = false;
    int turnsWhilePresenting = 0;
    struct Probe {
        sigc::connection timer;
        ~Probe() { timer.disconnect(); }
    } probe{Glib::signal_timeout().connect(
        [&] {
            if (!presenting) return true;
            ++turnsWhilePresenting;
            for (auto* dialog : dialogsTitled("Free")) dialog->response(Gtk::RESPONSE_OK);
            return true;
        },
        5)};
    Gtk::Window hidden;  // never shown
    for (Gtk::Window* busyOrNone : {&window, &hidden, static_cast<Gtk::Window*>(nullptr)}) {
        presenting = true;
        presentAlert(AlertKind::information, "Free", "", busyOrNone);
        presenting = false;
    }
    EXPECT_EQ(turnsWhilePresenting, 0) << "an alert waited in a loop of its own";
    EXPECT_EQ(attachedSheet(window), sheet) << "no second dialog attached to the window";
    auto freeStanding = dialogsTitled("Free");
    ASSERT_EQ(freeStanding.size(), 3u);
    for (auto* alert : freeStanding) {
        EXPECT_EQ(alert->get_transient_for(), nullptr);
        EXPECT_TRUE(alert->get_modal());
        EXPECT_EQ(alert->get_title(), "Free");
        alert->response(Gtk::RESPONSE_OK);
        alert->response(Gtk::RESPONSE_DELETE_EVENT);
    }
    sheet->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(test::spinUntil(
        [&] { return dialogsTitled("<i>Tab kept awake</i>").empty() && dialogsTitled("Free").empty(); }));
    EXPECT_FALSE(hasAttachedSheet(window));
}

// Dialogs the toolkit waits for in loops of their own, one inside the other, end those loops once
// answered as closed, so a quit asked for inside them is seen; a dialog that is not modal stays.
TEST(CloseModalDialogs, EndsTheLoopsOfTheDialogsWaitedFor) {
    Gtk::MessageDialog loose("Loose", false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, /*modal=*/false);
    loose.show();
    Gtk::MessageDialog outer("Outer", false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, /*modal=*/true);
    Gtk::MessageDialog inner("Inner", false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, /*modal=*/true);
    std::vector<int> answers;
    int depth = 0;
    Glib::signal_idle().connect_once([&] {
        Glib::signal_idle().connect_once([&] {
            Glib::signal_idle().connect_once([&] {
                depth = g_main_depth();
                closeModalDialogs();
            });
            answers.push_back(inner.run());
        });
        answers.push_back(outer.run());
    });
    // Should the loops not end, they are answered otherwise after a while, so the test fails
    // instead of waiting for ever.
    struct Fallback {
        sigc::connection timer;
        ~Fallback() { timer.disconnect(); }
    } fallback{Glib::signal_timeout().connect(
        [&] {
            inner.response(Gtk::RESPONSE_CANCEL);
            outer.response(Gtk::RESPONSE_CANCEL);
            return true;
        },
        10000)};
    ASSERT_TRUE(test::spinUntil([&] { return answers.size() == 2; }, std::chrono::seconds(30)));
    EXPECT_EQ(answers, (std::vector<int>{Gtk::RESPONSE_DELETE_EVENT, Gtk::RESPONSE_DELETE_EVENT}));
    EXPECT_EQ(depth, 3) << "closed from inside both loops";
    EXPECT_TRUE(loose.get_visible());
}

// A wheel turn over a picker in a scrolled form scrolls the form, focused or not; the picker keeps its row.
TEST(WindowOpacityControl, TheSlidersAccessibleValueReadsAsThePercentageBesideTheTitlesSymbol) {
    WindowOpacityControl control("Window Opacity");
    EXPECT_EQ(control.titleSymbol(), iconNameForSymbol("circle.lefthalf.filled"));
    EXPECT_TRUE(iconIsAvailable(control.titleSymbol()));
    auto accessible = control.slider().get_accessible();
    EXPECT_EQ(accessible->get_name(), "Window Opacity");
    for (double value : {0.854, 1.0}) {
        control.setValue(value);
        gdouble read = 0;
        gchar* text = nullptr;
        atk_value_get_value_and_text(ATK_VALUE(accessible->gobj()), &read, &text);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text), control.percentText());
        EXPECT_EQ(control.percentText(), value == 1.0 ? "100%" : "85%");
        EXPECT_DOUBLE_EQ(read, value);
        g_free(text);
    }
}

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

// The file choosers come up at a size of their own, on a 1280 x 800 screen 822 px high; a sheet, the
// print dialog or a window of the application's own may ask for more than the screen. Each comes up
// wholly inside its work area.
TEST(WorkAreaFit, EveryKindOfDialogAndAWindowKeptInsideComeUpInsideTheWorkArea) {
    keepDialogsInWorkArea();
    Gtk::Window window;
    window.set_default_size(400, 300);
    window.show();
    // Each row shows its window, kept while held; a native chooser hides as it goes.
    auto chooser = [&](Gtk::FileChooserAction action, Gtk::Window* parent) {
        auto made = parent ? Gtk::FileChooserNative::create("Export", *parent, action)
                           : Gtk::FileChooserNative::create("Import", action);
        made->show();
        return std::make_shared<Glib::RefPtr<Gtk::FileChooserNative>>(made);
    };
    auto sized = [](auto shown, bool resizable) {
        shown->set_default_size(3000, 2000);
        shown->set_resizable(resizable);
        shown->show_all();
        return shown;
    };
    auto kept = [&](bool resizable) {
        std::string words;
        for (int word = 0; word < 600; ++word) words += "word ";
        auto shown = std::make_shared<Gtk::Window>();
        auto* text = Gtk::manage(new Gtk::Label(words));
        text->set_line_wrap(true);
        shown->add(*text);
        keepInWorkArea(*shown);
        return sized(shown, resizable);
    };
    const std::pair<const char*, std::function<std::shared_ptr<void>()>> windows[] = {
        {"a save file chooser on a window", [&] { return chooser(Gtk::FILE_CHOOSER_ACTION_SAVE, &window); }},
        {"an open file chooser on its own", [&] { return chooser(Gtk::FILE_CHOOSER_ACTION_OPEN, nullptr); }},
        {"a sheet asking for more", [&] { return sized(std::make_shared<Gtk::Dialog>("Sheet", window, true), true); }},
        {"a print dialog asking for more",
         [&] { return sized(std::make_shared<Gtk::PrintUnixDialog>(window, "Print"), true); }},
        {"a window of its own asking for more", [&] { return kept(true); }},
        {"a fixed window of its own larger than the screen, with a text that wraps", [&] { return kept(false); }},
    };
    Gdk::Rectangle area, frame;
    window.get_display()->get_monitor_at_window(window.get_window())->get_workarea(area);
    auto shownDialog = [&]() -> Gtk::Window* {
        for (Gtk::Window* candidate : Gtk::Window::list_toplevels())
            if (candidate != &window && candidate->get_mapped()) return candidate;
        return nullptr;
    };
    for (const auto& [what, open] : windows) {
        SCOPED_TRACE(what);
        auto shown = open();
        auto inside = [&] {
            Gtk::Window* dialog = shownDialog();
            if (!dialog) return false;
            dialog->get_window()->get_frame_extents(frame);
            return frame.get_x() >= area.get_x() && frame.get_y() >= area.get_y() &&
                   frame.get_x() + frame.get_width() <= area.get_x() + area.get_width() &&
                   frame.get_y() + frame.get_height() <= area.get_y() + area.get_height();
        };
        EXPECT_TRUE(test::spinUntil(inside)) << frame.get_x() << "," << frame.get_y() << " " << frame.get_width()
                                             << " x " << frame.get_height();
        shown.reset();
        ASSERT_TRUE(test::spinUntil([&] { return !shownDialog(); }));
    }
    // A window neither kept there nor a dialog (a website's, at its saved frame) is left as it asks.
    Gtk::Window free;
    free.set_default_size(3000, 2000);
    bool mappedOnScreen = false, settled = false;
    free.signal_map_event().connect([&](GdkEventAny*) { return mappedOnScreen = true, false; });
    free.show();
    ASSERT_TRUE(test::spinUntil([&] { return mappedOnScreen; }));
    // After the fits the map asked for, which run when the main loop is idle.
    Glib::signal_idle().connect_once([&] { settled = true; }, Glib::PRIORITY_LOW);
    ASSERT_TRUE(test::spinUntil([&] { return settled; }));
    EXPECT_EQ(free.get_allocated_width(), 3000);
}

}  // namespace
}  // namespace quenlith
