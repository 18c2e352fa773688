#pragma once

#include <optional>
#include <string>

#include "model/browser_scene.hpp"
#include "model/page_clip.hpp"
#include "model/page_group_state.hpp"
#include "model/uuid.hpp"

namespace quenlith {

class ApplicationLinks;
class BrowserWindowController;
class PreferencesStore;
class RuntimePublisher;
class WebAppStore;
class WindowFactory;
class WindowHost;
class WindowRegistry;
class WindowRouter;

// What opening a saved page or a page group says when its website was deleted.
std::string removedAccountMessage();

// Page groups and saved pages: capturing the windows on screen as a group, opening a group's
// windows again (or bringing forward the ones it opened before), Page Group Focus, putting a group
// away, and opening a library entry in the window it belongs to. Main thread only.
class PageGroupWindows {
public:
    PageGroupWindows(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                     ApplicationLinks& links, WindowRouter& router, WebAppStore& store,
                     PreferencesStore& preferences, WindowHost& host);

    // Opens a library entry again: in its saved website's window, in a window of the session it was
    // saved in, or (shared session) like any address; a tab already showing the page is selected,
    // else the page is loaded into a start-page tab or a new tab. A Read Later entry's reading
    // position is applied once the page has loaded. A deleted website sets the continuity error.
    void openSavedPage(const PageClip& clip);

    // The windows on screen (visible, persistent, with a keepable tab) as a new group; none when no
    // window qualifies. Changes nothing.
    std::optional<BrowserScene> captureScene(const std::string& name);
    std::optional<SceneWindow> sceneWindow(BrowserWindowController& controller);
    // Opens every window of the group, or brings forward (with its saved frame, tabs as they are)
    // the window this group opened before. Group windows keep the group's opacity, on-top and
    // compact settings to themselves.
    void openScene(const BrowserScene& scene);
    // Opens the group and puts every other window away.
    void focusScene(const BrowserScene& scene);
    // Brings back the windows on screen before the focus began and puts the group's others away.
    void endSceneFocus();
    // Puts the windows of a group away.
    void hideScene(const Uuid& sceneID);
    const std::optional<Uuid>& focusedScene() const { return pageGroups_.focusedScene(); }

private:
    // Takes a window off the screen without touching the website links.
    void putAway(BrowserWindowController& controller);

    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    WindowFactory& factory_;
    ApplicationLinks& links_;
    WindowRouter& router_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    WindowHost& host_;
    PageGroupState pageGroups_;
};

}  // namespace quenlith
