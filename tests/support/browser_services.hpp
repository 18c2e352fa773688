#pragma once

// The services a browser view is made with, each the test's own: nothing of the process is shared
// with the view.

#include <memory>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_context.hpp"
#include "model/clock.hpp"
#include "model/scheduler.hpp"

namespace quenlith::test {

// Made after the test's folders: ad blocking keeps its lists in the cache folder.
struct BrowserServices {
    ProxyRuntime globalProxy{readProxyPassword};
    WebsiteSessions sessions{globalProxy, readProxyPassword};
    std::unique_ptr<AdBlocking> blocking = AdBlocking::inCacheFolder();
    PageIcons pageIcons;

    BrowserContext context(PreferencesStore& preferences, DownloadManager* downloads = nullptr,
                           Clock& clock = systemClock(), Scheduler& timers = mainLoopScheduler()) {
        return {preferences, sessions, *blocking, pageIcons, downloads, clock, timers, mainLoopScheduler()};
    }
};

}  // namespace quenlith::test
