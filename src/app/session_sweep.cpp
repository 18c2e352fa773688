#include "app/session_sweep.hpp"

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/library_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

SessionSweep::SessionSweep(WebAppStore& store, LibraryStore& library, BrowserWindowManager& windows,
                           Scheduler& timers)
    : store_(store), library_(library), windows_(windows), timers_(timers), self_(std::make_shared<SessionSweep*>(this)) {}

SessionSweep::~SessionSweep() {
    self_.reset();
    look_.cancel();
}

void SessionSweep::schedule() {
    look_ = timers_.schedule(kDelay, [this] {
        if (ready())
            sweep();
        else
            schedule();
    });
}

bool SessionSweep::ready() const {
    const SessionRestore& session = windows_.session();
    // The library's answers wait for its read: it is asked only once read.
    return !started_ && session.didRestore() && !session.isRestoring() && !session.shuttingDown() &&
           !session.isResettingWebsiteData() && store_.writable() && !library_.loading();
}

SessionUsers SessionSweep::users() const {
    SessionUsers users;
    if (store_.writable()) {
        users.addWebsites(store_.profiles());
        users.addWebsites(store_.setAsideProfiles());
    } else
        users.addUnreadable();
    if (library_.writable())
        users.addLibrary(library_.document());
    else
        users.addUnreadable();
    // A saved session that cannot be read stays on disk until it is reset: it may name any session.
    if (!windows_.session().sessionWritable()) users.addUnreadable();
    const WindowRegistry& registry = windows_.registry();
    for (const auto& [id, controller] : registry.windows()) {
        if (auto identifier = controller->browser().websiteDataStore()->identifier()) users.add(*identifier);
        if (auto identifier = controller->browser().profile().sessionIdentifier) users.add(*identifier);
    }
    for (const auto& [id, profile] : registry.browsingProfiles())
        if (profile.sessionIdentifier) users.add(*profile.sessionIdentifier);
    return users;
}

void SessionSweep::sweep() {
    started_ = true;
    std::weak_ptr<SessionSweep*> weak = self_;
    windows_.sessions().removeUnusedSessions(users(), SavedSessionFiles::inDataFolder(),
                                             [weak](std::vector<Uuid> removed) {
                                                 auto self = weak.lock();
                                                 if (self && (*self)->onFinished_) (*self)->onFinished_(removed);
                                             });
}

}  // namespace quenlith
