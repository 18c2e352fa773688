#include "browser/engine/web_view_factory.hpp"

#include <memory>
#include <vector>

#include <gtk/gtk.h>

#include "browser/engine/acceleration_probe.hpp"
#include "browser/engine/tab_sleep_guard.hpp"
#include "browser/engine/user_scripts.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {

const char* const kSiteStyleFixTemplate = R"JS((() => {
  if (location.protocol !== "http:" && location.protocol !== "https:") return;
  if (String(location.hostname).toLowerCase() !== "@HOST@") return;
  const install = () => {
    if (!document.documentElement || document.getElementById("quenlith-footer-sizing")) return;
    const style = document.createElement("style");
    style.id = "quenlith-footer-sizing";
    style.textContent = ".contentPage .AtTabBarView, .contentPage .AtTabBarShortView, " +
      ".contentPage .AtTabBarGameView { height: auto !important; }";
    (document.head || document.documentElement).appendChild(style);
  };
  install();
  // The document may replace its first head while it is parsed.
  document.addEventListener("DOMContentLoaded", install, { once: true });
})();
)JS";

// Per view: whether the proxy's challenge was answered during the current load.
struct ProxyChallengeState {
    bool answered = false;
};

// The proxy's first challenge of a load is answered with the store's credential; any later one is
// cancelled, since answering again after a refused password makes the engine retry without end.
gboolean answerProxyChallenge(WebKitWebView* view, WebKitAuthenticationRequest* request, gpointer data) {
    if (!webkit_authentication_request_is_for_proxy(request)) return FALSE;
    auto* state = static_cast<ProxyChallengeState*>(data);
    auto store = WebsiteDataStore::of(view);
    const auto credential = store ? store->proxyChallengeCredential() : std::nullopt;
    if (state->answered || !credential) {
        webkit_authentication_request_cancel(request);
        return TRUE;
    }
    state->answered = true;
    WebKitCredential* answer = webkit_credential_new(credential->username.c_str(), credential->password.c_str(),
                                                     WEBKIT_CREDENTIAL_PERSISTENCE_NONE);
    webkit_authentication_request_authenticate(request, answer);
    webkit_credential_free(answer);
    return TRUE;
}

void resetProxyChallenge(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    if (event == WEBKIT_LOAD_STARTED) static_cast<ProxyChallengeState*>(data)->answered = false;
}

// While the store's network is not ready (its proxy password is still being read, or the engine
// has not yet taken its new proxy), every navigation waits: its decision is kept, and asked again
// through all the view's handlers once it is, so no page starts before it can take its proxy.
// Connected before any other handler, it stops the first asking.
gboolean holdNavigation(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                        gpointer liveness) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
    auto store = WebsiteDataStore::of(view);
    if (!store || store->networkReady()) return FALSE;
    // The store outlives the view when the password never comes: the view is looked up through
    // the token it owns.
    std::weak_ptr<int> alive = *static_cast<std::shared_ptr<int>*>(liveness);
    store->whenNetworkReady([view, alive, type, kept = GObjectPtr<WebKitPolicyDecision>::retain(decision)] {
        if (alive.expired()) return;
        gboolean handled = FALSE;
        g_signal_emit_by_name(view, "decide-policy", kept.get(), type, &handled);
    });
    return TRUE;
}

// The engine puts a text view of its own inside every web view (it turns key presses into editing
// commands) and, under GTK 3, never takes it out again: each view that ends would leave it behind
// with its buffer, styles and signal handlers, about 20 KB. It is taken out as the view is
// disposed, whoever drops the view's last reference.
void releaseKeyBindingWidgetWithView(WebKitWebView* view) {
    GtkWidget* textView = nullptr;
    gtk_container_forall(
        GTK_CONTAINER(view),
        [](GtkWidget* child, gpointer found) {
            if (GTK_IS_TEXT_VIEW(child)) *static_cast<GtkWidget**>(found) = child;
        },
        &textView);
    if (!textView) return;
    // Emptied should the engine end the text view itself first.
    auto* held = new GtkWidget*(textView);
    g_object_add_weak_pointer(G_OBJECT(textView), reinterpret_cast<gpointer*>(held));
    g_object_weak_ref(
        G_OBJECT(view),
        [](gpointer data, GObject* gone) {
            auto* held = static_cast<GtkWidget**>(data);
            if (GtkWidget* textView = *held) {
                g_object_remove_weak_pointer(G_OBJECT(textView), reinterpret_cast<gpointer*>(held));
                if (gtk_widget_get_parent(textView) == GTK_WIDGET(gone)) gtk_widget_unparent(textView);
            }
            delete held;
        },
        held);
}

WebViewConfiguration newConfiguration(std::shared_ptr<WebsiteDataStore> dataStore) {
    WebViewConfiguration configuration;
    configuration.websiteDataStore = std::move(dataStore);
    configuration.userContentController =
        GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    configuration.preferences = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());
    webkit_settings_set_javascript_can_open_windows_automatically(configuration.preferences.get(), FALSE);
    if (AccelerationProbe::policy() == AccelerationPolicy::never)
        webkit_settings_set_hardware_acceleration_policy(configuration.preferences.get(),
                                                         WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    return configuration;
}

GtkWidget* createView(const WebViewConfiguration& configuration) {
    std::vector<const char*> names;
    std::vector<GValue> values;
    auto add = [&](const char* name, gpointer object) {
        names.push_back(name);
        GValue value = G_VALUE_INIT;
        g_value_init(&value, G_TYPE_OBJECT);
        g_value_set_object(&value, object);
        values.push_back(value);
    };
    // A related view brings its own context (the engine takes it from there).
    if (configuration.relatedView)
        add("related-view", configuration.relatedView.get());
    else
        add("web-context", configuration.websiteDataStore->webContext());
    add("user-content-manager", configuration.userContentController.get());
    add("settings", configuration.preferences.get());
    if (configuration.websitePolicies) add("website-policies", configuration.websitePolicies.get());
    GObject* view = g_object_new_with_properties(WEBKIT_TYPE_WEB_VIEW, static_cast<guint>(names.size()), names.data(),
                                                 values.data());
    for (auto& value : values) g_value_unset(&value);
    return GTK_WIDGET(view);
}

}  // namespace

std::string siteStyleFixSource(std::string_view host) {
    std::string quotedHost;
    for (char c : host) {
        if (c == '"' || c == '\\') quotedHost += '\\';
        quotedHost += c;
    }
    std::string source = kSiteStyleFixTemplate;
    source.replace(source.find("@HOST@"), 6, quotedHost);
    return source;
}

void WebViewFactory::installSiteStyleFix(WebKitUserContentManager* controller) {
    static const std::string source = siteStyleFixSource(kSiteStyleFixHost);
    addUserScriptOnce(controller, source, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START);
}

GObjectPtr<WebKitWebView> WebViewFactory::makeWebView(std::shared_ptr<WebsiteDataStore> dataStore,
                                                      const std::optional<WebViewConfiguration>& given,
                                                      const std::optional<std::string>& userAgent,
                                                      WebsiteSessions* sessions) {
    // A configuration handed in is used unchanged: its store is kept and no preference is touched.
    WebViewConfiguration configuration = given ? *given : newConfiguration(std::move(dataStore));
    if (!configuration.websiteDataStore) configuration.websiteDataStore = sessions->sharedDataStore();
    if (!configuration.userContentController)
        configuration.userContentController = GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    if (!configuration.preferences) configuration.preferences = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());

    sessions->applyProxy(configuration.websiteDataStore);
    TabSleepGuard::install(configuration.userContentController.get());
    installSiteStyleFix(configuration.userContentController.get());

    auto view = GObjectPtr<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(createView(configuration))));
    WebsiteDataStore::attach(view.get(), configuration.websiteDataStore);
    configuration.websiteDataStore->governNamePrefetch(webkit_web_view_get_settings(view.get()));
    releaseKeyBindingWidgetWithView(view.get());

    auto* liveness = new std::shared_ptr<int>(std::make_shared<int>(0));
    g_object_set_data_full(G_OBJECT(view.get()), "quenlith-view-liveness", liveness,
                           [](gpointer data) { delete static_cast<std::shared_ptr<int>*>(data); });
    g_signal_connect(view.get(), "decide-policy", G_CALLBACK(holdNavigation), liveness);

    auto* challenge = new ProxyChallengeState();
    g_object_set_data_full(G_OBJECT(view.get()), "quenlith-proxy-challenge", challenge,
                           [](gpointer data) { delete static_cast<ProxyChallengeState*>(data); });
    g_signal_connect(view.get(), "authenticate", G_CALLBACK(answerProxyChallenge), challenge);
    g_signal_connect(view.get(), "load-changed", G_CALLBACK(resetProxyChallenge), challenge);

    WebKitSettings* settings = webkit_web_view_get_settings(view.get());
    webkit_settings_set_user_agent(settings, userAgent ? userAgent->c_str() : nullptr);
    webkit_settings_set_enable_back_forward_navigation_gestures(settings, TRUE);
    // Pinch magnification is always on in this engine; there is nothing to switch.
    atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(view.get())), localizedString("Web content").c_str());
    return view;
}

}  // namespace quenlith
