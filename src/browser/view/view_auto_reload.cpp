#include "browser/view/view_auto_reload.hpp"

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/view/browser_view_controller.hpp"
#include "ui/alert.hpp"

namespace quenlith {

ViewAutoReload::ViewAutoReload(BrowserViewController& view, Scheduler& timers)
    : view_(view), timer_(timers, [this] { tick(); }) {}

void ViewAutoReload::schedule() {
    timer_.stop();
    const auto& interval = view_.profile().autoReloadInterval;
    if (ended_ || !autoReloadShouldRun(interval, view_.isPresented())) return;
    timer_.start(*interval);
}

void ViewAutoReload::stop() {
    timer_.stop();
}

void ViewAutoReload::profileChanged(const std::optional<double>& previousInterval) {
    if (autoReloadNeedsRescheduling(previousInterval, view_.profile().autoReloadInterval,
                                    timer_.period().has_value()))
        schedule();
}

void ViewAutoReload::end() {
    ended_ = true;
    timer_.stop();
}

void ViewAutoReload::tick() {
    BrowserTab* tab = view_.tabs().active();
    Gtk::Window* window = view_.chrome().window();
    AutoReloadTickFacts facts;
    facts.presented = view_.isPresented();
    facts.windowVisible = window && window->get_visible();
    if (window && window->get_window())
        facts.windowMinimized = (window->get_window()->get_state() & Gdk::WINDOW_STATE_ICONIFIED) != 0;
    facts.sheetAttached = window && hasAttachedSheet(*window);
    facts.hasActiveTab = tab != nullptr;
    facts.activeTabSleeping = tab && tab->state().isSleeping;
    facts.activeTabLoading = tab && tab->isLoading();
    if (autoReloadTickReloads(facts)) webkit_web_view_reload(tab->webView());
}

}  // namespace quenlith
