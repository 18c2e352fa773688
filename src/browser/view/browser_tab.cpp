#include "browser/view/browser_tab.hpp"

#include <webkit2/webkit2.h>

#include "browser/view/tab_title.hpp"

namespace quenlith {

BrowserTab::BrowserTab(GObjectPtr<WebKitWebView> webView, Uuid tabID, Date created)
    : id(tabID), webView_(std::move(webView)) {
    state_.lastUsed = created;
}

BrowserTab::~BrowserTab() {
    dropObservations();
}

void BrowserTab::addObservation(gpointer instance, gulong handlerID) {
    observations_.emplace_back(GObjectPtr<GObject>::retain(G_OBJECT(instance)), handlerID);
}

void BrowserTab::dropObservations() {
    for (auto& [instance, handlerID] : observations_)
        if (g_signal_handler_is_connected(instance.get(), handlerID))
            g_signal_handler_disconnect(instance.get(), handlerID);
    observations_.clear();
}

std::optional<std::string> BrowserTab::pageURL() const {
    const char* uri = webView_ ? webkit_web_view_get_uri(webView_.get()) : nullptr;
    if (!uri || !*uri) return std::nullopt;
    // Everything the window keeps or reports of its pages comes from here.
    return withoutCredentials(uri);
}

std::string BrowserTab::pageTitle() const {
    const char* title = webView_ ? webkit_web_view_get_title(webView_.get()) : nullptr;
    return title ? title : "";
}

bool BrowserTab::isLoading() const {
    return webView_ && webkit_web_view_is_loading(webView_.get());
}

std::string BrowserTab::displayTitle() const {
    return tabDisplayTitle({state_.isSleeping, state_.sleepingTitle, state_.showsStartPage, pageTitle(),
                            pageURL(), state_.lastURL});
}

void BrowserTab::detach() {
    dropObservations();
    if (!webView_) return;
    webkit_web_view_stop_loading(webView_.get());
    GtkWidget* widget = GTK_WIDGET(webView_.get());
    if (GtkWidget* parent = gtk_widget_get_parent(widget))
        gtk_container_remove(GTK_CONTAINER(parent), widget);
}

}  // namespace quenlith
