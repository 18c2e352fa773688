// Quick Open, "Open Multiple Links" and the guide: their windows, and what a chosen row opens.
#include "app/quick_open_flow.hpp"

#include <algorithm>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/pasted_links_flow.hpp"
#include "launcher/batch_links_window.hpp"
#include "launcher/guide_window.hpp"
#include "launcher/quick_open_window.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

QuickOpenFlow::QuickOpenFlow(const WebAppStore& store, const PreferencesStore& preferences,
                             const LibraryStore& library, BrowserWindowManager& windows,
                             AuxiliaryWindows& auxiliaryWindows)
    : store_(store),
      preferences_(preferences),
      library_(library),
      windows_(windows),
      auxiliaryWindows_(auxiliaryWindows) {}

std::vector<QuickOpenItem> QuickOpenFlow::items(const std::string& query) const {
    const LibraryDocument& document = library_.document();
    return quickOpenResults(query, windows_.publisher().runtime().windows(), store_.profiles(),
                            document.clips, document.scenes, document.history,
                            preferences_.value().readsHistoryEnabled());
}

void QuickOpenFlow::open(const QuickOpenTarget& target) {
    // Quick Open closes after the chosen window has asked for the focus: closed first, it hands the
    // focus back to a window of another client under some window managers before the request.
    struct CloseQuickOpen {
        AuxiliaryWindows& windows;
        ~CloseQuickOpen() { windows.closeQuickOpen(); }
    } close{auxiliaryWindows_};
    const LibraryDocument& document = library_.document();
    switch (target.kind) {
        case QuickOpenTarget::Kind::tab:
            if (target.tab) windows_.routing().focus(target.id, *target.tab);
            break;
        case QuickOpenTarget::Kind::website: windows_.routing().showProfile(target.id); break;
        case QuickOpenTarget::Kind::bookmark: {
            auto clip = std::find_if(document.clips.begin(), document.clips.end(),
                                     [&](const PageClip& candidate) { return candidate.id == target.id; });
            // A saved page deleted while its row was shown opens nothing.
            if (clip != document.clips.end()) windows_.pageGroups().openSavedPage(*clip);
            break;
        }
        case QuickOpenTarget::Kind::scene: {
            auto scene = std::find_if(document.scenes.begin(), document.scenes.end(),
                                      [&](const BrowserScene& candidate) { return candidate.id == target.id; });
            if (scene != document.scenes.end()) windows_.pageGroups().openScene(*scene);
            break;
        }
        case QuickOpenTarget::Kind::address: windows_.routing().open(target.address); break;
    }
}

void QuickOpenFlow::search(const std::string& text) {
    // Closed after the page's window has asked for the focus, as for a chosen row.
    windows_.routing().openAddress(text);
    auxiliaryWindows_.closeQuickOpen();
}

void AppEnvironment::wireAuxiliaryWindows() {
    std::weak_ptr<AppEnvironment*> weak = self_;
    using Kind = AuxiliaryWindows::Kind;
    auxiliaryWindows_->setBuilder(Kind::quickOpen, [weak] {
        QuickOpenWindow::Links links;
        links.results = [weak](const std::string& query) {
            auto environment = weak.lock();
            return environment ? (*environment)->quickOpen_->items(query) : std::vector<QuickOpenItem>{};
        };
        links.onChoose = [weak](const QuickOpenTarget& target) {
            if (auto environment = weak.lock()) (*environment)->quickOpen_->open(target);
        };
        links.onSearch = [weak](const std::string& text) {
            if (auto environment = weak.lock()) (*environment)->quickOpen_->search(text);
        };
        links.onCancel = [weak] {
            if (auto environment = weak.lock()) (*environment)->auxiliaryWindows().closeQuickOpen();
        };
        auto window = std::make_unique<QuickOpenWindow>(std::move(links));
        // Any store change redraws the results; the connections end with the window.
        if (auto environment = weak.lock()) {
            AppEnvironment& self = **environment;
            auto refresh = sigc::mem_fun(*window, &QuickOpenWindow::refresh);
            self.windows_->publisher().runtime().signal_changed().connect(refresh);
            self.store_.signal_changed().connect(refresh);
            self.library_.signal_changed().connect(refresh);
            self.preferences_.signal_changed().connect(refresh);
        }
        return std::unique_ptr<Gtk::Window>(std::move(window));
    });
    auxiliaryWindows_->setBuilder(Kind::batchLinks, [weak]() -> std::unique_ptr<Gtk::Window> {
        auto environment = weak.lock();
        if (!environment) return nullptr;
        BatchLinksWindow::Links links;
        links.suggestions = (*environment)->pastedLinks_->suggestions();
        links.onPerform = [weak](BatchAction action, const std::vector<std::string>& urls,
                                 const std::string& name) -> std::optional<std::string> {
            auto alive = weak.lock();
            if (!alive) return std::nullopt;
            return (*alive)->pastedLinks_->perform(action, urls, name);
        };
        links.onCancel = [weak] {
            if (auto alive = weak.lock()) (*alive)->auxiliaryWindows().closeBatchLinks();
        };
        const AuxiliaryWindows::BatchRequest& request = (*environment)->auxiliaryWindows().batchRequest();
        return std::make_unique<BatchLinksWindow>(request.text, request.action, std::move(links));
    });
    auxiliaryWindows_->setBuilder(Kind::guide,
                                  [] { return std::unique_ptr<Gtk::Window>(new GuideWindow()); });
}

}  // namespace quenlith
