#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/browser_scene.hpp"
#include "model/page_clip.hpp"
#include "model/pasted_links.hpp"

namespace Gtk {
class Widget;
class Window;
}  // namespace Gtk

namespace quenlith {

class BrowserWindowManager;
class LibraryStore;
class PreferencesStore;
class SavedPagesNavigation;
class WebAppStore;

// What the library window hands each of its section panes: the stores it shows, the window
// manager that opens pages and groups, the shared search text, and the window's own lines, sheets
// and question. The window owns it and outlives every pane; panes keep a reference. Everything is
// main-thread only, and every closure is set by the window before any pane is built.
struct LibraryPaneContext {
    LibraryPaneContext(LibraryStore& library, WebAppStore& websites, PreferencesStore& preferences,
                       BrowserWindowManager& windows, SavedPagesNavigation& navigation)
        : library(library), websites(websites), preferences(preferences), windows(windows), navigation(navigation) {}
    LibraryPaneContext(const LibraryPaneContext&) = delete;
    LibraryPaneContext& operator=(const LibraryPaneContext&) = delete;

    LibraryStore& library;
    WebAppStore& websites;
    PreferencesStore& preferences;
    BrowserWindowManager& windows;
    SavedPagesNavigation& navigation;

    // The search text exactly as typed (not trimmed), shared by every section. Read it in
    // refresh(); the window refreshes the shown pane after every change of it or of a store.
    std::string query;

    // The information line under the search field: a text shown verbatim, or none.
    std::function<void(const std::string& notice)> setNotice;
    std::function<void()> clearNotice;

    // "Confirm Change": shows `confirmationText` (already localised) and runs `action` exactly
    // once after "Continue"; "Cancel" or closing the question drops it.
    std::function<void(const std::string& confirmationText, std::function<void()> action)> ask;

    // Opens the save-page sheet on a copy of `clip` (an existing page or a blank one); nothing
    // reaches the library unless the sheet saves it.
    std::function<void(const PageClip& clip)> editClip;

    // The page-group sheet. The Page Groups pane sets `makeSceneSheet` (the sheet's content for a
    // captured group; the content calls `done` when it is finished, saved or cancelled); any pane
    // then calls `showSceneSheet` with a captured group, and the window shows that content as its
    // modal sheet until `done` runs or the sheet is closed.
    std::function<std::unique_ptr<Gtk::Widget>(const BrowserScene& draft, std::function<void()> done)>
        makeSceneSheet;
    std::function<void(const BrowserScene& draft)> showSceneSheet;

    // Opens the multiple-links window with that action and text.
    std::function<void(BatchAction action, const std::string& text)> onBatch;

    // Opens a saved page in its website and window session, at its reading position.
    std::function<void(const PageClip& clip)> openSavedPage;

    // Switches the window to the unread Read Later list.
    std::function<void()> showUnreadReadLater;

    // The library window, to attach alerts to (nullptr while it is not built).
    std::function<Gtk::Window*()> window;
};

}  // namespace quenlith
