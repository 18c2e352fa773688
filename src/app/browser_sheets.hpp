#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <sigc++/connection.h>

#include "browser/view/browser_command.hpp"
#include "model/uuid.hpp"

typedef struct _GtkWidget GtkWidget;

namespace Gtk {
class Dialog;
class Widget;
}

namespace quenlith {

class AdBlocking;
class BrowserWindowController;
class BrowserWindowManager;
class PreferencesStore;
class ProxyPasswordVault;

// The sheets of a browser window's "more" menu, attached to that window: its own website
// settings, its user agent, the saved website's session and proxy (else the global proxy), and ad
// filtering. Each closure finds its window again by id; a sheet whose window is gone only closes.
// Main thread only.
class BrowserSheets {
public:
    BrowserSheets(BrowserWindowManager& windows, PreferencesStore& preferences, AdBlocking& blocker);
    ~BrowserSheets();
    BrowserSheets(const BrowserSheets&) = delete;
    BrowserSheets& operator=(const BrowserSheets&) = delete;

    // The global proxy settings shown by "Proxy…" in a window without a saved website on a
    // persistent store (a managed widget), or nullptr for the headline alone.
    void setMakeGlobalProxyPage(std::function<Gtk::Widget*()> makeGlobalProxyPage) {
        makeGlobalProxyPage_ = std::move(makeGlobalProxyPage);
    }

    void present(BrowserWindowController& controller, BrowserSheet sheet);
    // The sheet on a window, or nullptr.
    Gtk::Dialog* sheet(const Uuid& windowID) const;
    void close(const Uuid& windowID);

private:
    std::unique_ptr<Gtk::Dialog> makeSheet(BrowserWindowController& controller, BrowserSheet sheet);
    std::unique_ptr<Gtk::Dialog> makeDoneSheet(BrowserWindowController& controller, const std::string& title,
                                               Gtk::Widget& content, int width, int height, bool doneIsDefault);

    std::function<Gtk::Widget*()> makeGlobalProxyPage_;
    // The secret store of the proxy sheet: the desktop's, made when first needed.
    std::shared_ptr<ProxyPasswordVault> vault_;

    BrowserWindowManager& windows_;
    PreferencesStore& preferences_;
    AdBlocking& blocker_;
    std::map<Uuid, std::unique_ptr<Gtk::Dialog>> sheets_;
    // Closed sheets wait for an idle turn: a sheet is closed from inside its own handlers.
    std::vector<std::unique_ptr<Gtk::Dialog>> retired_;
    sigc::connection retireTask_;
    // The "destroy" handler on each window that shows a sheet.
    std::map<Uuid, std::pair<GtkWidget*, unsigned long>> windowWatches_;
    std::shared_ptr<BrowserSheets*> alive_;
};

}  // namespace quenlith
