#pragma once

#include <deque>
#include <functional>
#include <memory>

#include "model/start_notice.hpp"

namespace Gtk {
class MessageDialog;
}

namespace quenlith {

class PreferencesStore;
class ProxyRuntime;
class WebAppStore;

// Tells the person at start about stored data that could not be taken as it was: settings that
// could not be read (the defaults stand in for them), saved websites that could not be read, and
// saved websites set aside for a repeated identifier. The stores first keep the files as read
// aside, so each notice names where; the notices come one at a time, in front of every window with
// the keyboard. While the settings notice is unanswered the global proxy is held:
// no page of a website that follows it goes out on a network the person did not choose. Main
// thread only.
class StartNotices {
public:
    StartNotices(PreferencesStore& preferences, WebAppStore& store, ProxyRuntime& globalProxy);
    ~StartNotices();
    StartNotices(const StartNotices&) = delete;
    StartNotices& operator=(const StartNotices&) = delete;

    // Once, before any page is asked for.
    void start();
    // The notice on the screen, or nullptr.
    Gtk::MessageDialog* shown() const { return shown_.get(); }

private:
    struct Waiting {
        StartNotice notice;
        std::function<void()> answered;
    };
    void add(StartNotice notice, std::function<void()> answered = {});
    void showNext();

    PreferencesStore& preferences_;
    WebAppStore& store_;
    ProxyRuntime& globalProxy_;
    std::deque<Waiting> waiting_;
    std::unique_ptr<Gtk::MessageDialog> shown_;
    // The stores' answers and the notices' hold this weakly.
    std::shared_ptr<StartNotices*> self_;
};

}  // namespace quenlith
