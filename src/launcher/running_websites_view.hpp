#pragma once

#include <memory>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/scrolledwindow.h>
#include <sigc++/connection.h>

#include "model/runtime_window.hpp"

namespace quenlith {

class BrowserRuntimeStore;
struct LauncherCommands;

// The texts of one tab row: the address line and the status caption (empty: no caption).
struct RunningTabTexts {
    std::string address;
    std::string status;
    bool statusIsWarning = false;
    bool operator==(const RunningTabTexts&) const = default;
};
RunningTabTexts runningTabTexts(const RuntimeWindow& window, const RuntimeTab& tab);

// The launcher's "Running" half: one card per open window with its tabs. A tab row brings its tab
// forward (closing the launcher first) or closes the tab; a card hides its window or, after a
// question, closes it completely. Reads only the runtime snapshot.
class RunningWebsitesView : public Gtk::Box {
public:
    RunningWebsitesView(BrowserRuntimeStore& runtime, const LauncherCommands& commands);
    ~RunningWebsitesView() override;

    // The window whose complete close waits for the question's answer.
    const std::optional<RuntimeWindow>& closingWindow() const { return closingWindow_; }
    void askToClose(const RuntimeWindow& window);
    // Redraws from the snapshot now.
    void redraw();
    // The summary line as shown.
    std::string summary() const { return summary_.get_text(); }

private:
    void fill();
    Gtk::Widget* makeCard(const RuntimeWindow& window);
    Gtk::Widget* makeRow(const RuntimeWindow& window, const RuntimeTab& tab);
    void answerClose(int response);

    BrowserRuntimeStore& runtime_;
    const LauncherCommands& commands_;
    std::optional<RuntimeWindow> closingWindow_;
    std::unique_ptr<Gtk::MessageDialog> closeDialog_;
    Gtk::Label summary_;
    Gtk::ScrolledWindow scroller_;
    Gtk::Box cards_{Gtk::ORIENTATION_VERTICAL, 12};
    Gtk::Box emptyState_{Gtk::ORIENTATION_VERTICAL, 10};
    Gtk::Label footer_;
    std::vector<std::unique_ptr<Gtk::Menu>> menus_;
    sigc::connection changed_;
    sigc::connection pendingRedraw_;
};

}  // namespace quenlith
