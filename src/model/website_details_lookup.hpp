#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/scheduler.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// A website's title and icon address as the lookup found them.
struct LookedUpWebsiteDetails {
    std::optional<std::string> title;
    std::optional<std::string> iconURL;
};

// Looks a website address up; `done` runs once on the main loop (with empty details on failure).
// The application hands in the browser layer's lookup; tests hand in a fake.
using FetchWebsiteDetails =
    std::function<void(const std::string& address, std::function<void(LookedUpWebsiteDetails)> done)>;

// The editor's lookup of a new website's title and icon: 0.6 s after the address (or the session
// or proxy choice) last changed it asks once for the typed address, and fills the name when the
// user left it empty and the icon address. A website with its own session or proxy is never looked
// up, and a result for an address that changed meanwhile is dropped.
class WebsiteDetailsLookup {
public:
    static constexpr std::chrono::milliseconds kDelay{600};

    // `draft` gives the editor's current draft to read and change; `changed` tells the editor to
    // show the draft and `fetching()` again.
    WebsiteDetailsLookup(bool isNew, FetchWebsiteDetails fetch, std::function<WebAppProfile&()> draft,
                         std::function<void()> changed, Scheduler& scheduler = mainLoopScheduler());
    ~WebsiteDetailsLookup();
    WebsiteDetailsLookup(const WebsiteDetailsLookup&) = delete;
    WebsiteDetailsLookup& operator=(const WebsiteDetailsLookup&) = delete;

    // Called after every change of the draft (and once when the editor appears): restarts the
    // lookup when its key (address, session, proxy) changed.
    void draftChanged();
    // True while a lookup runs ("Getting website details…").
    bool fetching() const { return fetching_; }

private:
    static std::string key(const WebAppProfile& draft);
    static bool mayLookUp(const WebAppProfile& draft);
    void start();
    void finish(const std::string& address, const LookedUpWebsiteDetails& details);

    bool isNew_;
    FetchWebsiteDetails fetch_;
    std::function<WebAppProfile&()> draft_;
    std::function<void()> changed_;
    Scheduler& scheduler_;
    std::optional<std::string> key_;
    ScheduledTask wait_;
    bool fetching_ = false;
    // Marks the current run; an answer of an earlier run, or one after this object is gone, finds
    // its token expired and changes nothing.
    std::shared_ptr<int> run_;
};

}  // namespace quenlith
