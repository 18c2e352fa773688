// The browser view's side of its pages: navigation start, finish and failure, the end of a web
// process, policy decisions, new windows, downloads, file choosers, camera and microphone
// requests, script dialogs, printing, the error box's two actions, tab media and reading positions.

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/user_scripts.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/page/download_location_chooser.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/page/external_launch.hpp"
#include "browser/page/navigation_policy.hpp"
#include "browser/page/page_dialog.hpp"
#include "browser/page/page_error.hpp"
#include "browser/page/permission_request.hpp"
#include "browser/page/popup_routing.hpp"
#include "browser/page/response_policy.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "ui/alert.hpp"

namespace quenlith {

namespace {

// Marks a web view whose current load failed: the engine still reports that load as finished.
constexpr const char* kLoadFailedKey = "quenlith-load-failed";

std::optional<std::string> requestURI(WebKitURIRequest* request) {
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!uri || !*uri) return std::nullopt;
    return std::string(uri);
}

}  // namespace

struct PageEventHandlers {
    using Controller = BrowserViewController;

    // The window a question is attached to; nothing when the view is in no window (the question is
    // then answered negatively at once).
    static Gtk::Window* questionWindow(Controller& controller) { return controller.chrome_.window(); }

    static BrowserTab* tabOf(Controller& controller, WebKitWebView* view) {
        return controller.tabs_.showing(view);
    }

    // ---- Loads ------------------------------------------------------------------------------

    static void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        if (event == WEBKIT_LOAD_STARTED) {
            g_object_set_data(G_OBJECT(view), kLoadFailedKey, nullptr);
            started(controller, view);
        } else if (event == WEBKIT_LOAD_COMMITTED) {
            committed(controller, view);
        } else if (event == WEBKIT_LOAD_FINISHED) {
            // A failed load is reported as finished too; its failure was handled already.
            if (g_object_get_data(G_OBJECT(view), kLoadFailedKey)) {
                g_object_set_data(G_OBJECT(view), kLoadFailedKey, nullptr);
                return;
            }
            finished(controller, view);
        }
    }

    static void started(Controller& controller, WebKitWebView* view) {
        BrowserTab* tab = tabOf(controller, view);
        if (!tab) return;
        TabState& state = tab->state();
        state.showsStartPage = false;
        state.error.reset();
        state.failedURL.reset();
        state.webProcessEnded = false;
        if (auto url = tab->pageURL()) state.lastURL = url;
        controller.presenter_.refresh();
    }

    // Another page in the tab lets its dialogs show again; the page reloading itself does not.
    static void committed(Controller& controller, WebKitWebView* view) {
        BrowserTab* tab = tabOf(controller, view);
        if (!tab) return;
        if (auto guard = controller.dialogGuards_.find(tab->id); guard != controller.dialogGuards_.end())
            guard->second.committed(tab->pageURL().value_or(""));
        // An icon stays while the tab is on the same site (no flicker); another site has none yet.
        if (tab->state().icon &&
            rootFaviconURL(tab->pageURL().value_or("")) != rootFaviconURL(tab->state().iconPage)) {
            tab->state().icon = {};
            tab->state().iconPage.clear();
            controller.presenter_.scheduleRefresh();
        }
    }

    static void finished(Controller& controller, WebKitWebView* view) {
        BrowserTab* tab = tabOf(controller, view);
        if (!tab) return;
        tab->state().error.reset();
        tab->state().addressCredentials.reset();
        const auto url = tab->pageURL();
        tab->state().lastURL = url;
        controller.page_.applyPendingReadingPosition(*tab);
        if (controller.isPersistent() && url) reportVisit(controller, view, *url, tab->pageTitle());
        if (tab == controller.tabs_.active() && url && controller.services_.onURLChange)
            controller.services_.onURLChange(*url);
        if (!url) {
            controller.presenter_.refresh();
            return;
        }
        requestIcon(controller, view, *url);
        controller.presenter_.refresh();
    }

    // The engine often has no title yet when a load finishes: the page's own title is read then.
    static void reportVisit(Controller& controller, WebKitWebView* view, const std::string& url,
                            const std::string& title) {
        if (!controller.services_.onVisit) return;
        if (!title.empty()) {
            controller.services_.onVisit(url, title);
            return;
        }
        controller.scripts_.run(view, "document.title", std::nullopt,
                                [&controller, url](WebKitWebView*, JSCValue* value) {
                                    if (controller.services_.onVisit)
                                        controller.services_.onVisit(url, visitTitle(scriptText(value), url));
                                });
    }

    // The page's declared icon, read in the application's own script world (the page cannot
    // answer for it there), is loaded for the tab; a page of the website also reports it.
    static void requestIcon(Controller& controller, WebKitWebView* view, const std::string& url) {
        controller.scripts_.run(
            view, kFaviconLinkScript, url,
            [&controller, url](WebKitWebView* shown, JSCValue* value) {
                std::optional<std::string> icon = scriptText(value);
                loadIcon(controller, shown, url, icon);
                if (controller.profile_.isOwnSitePage(url))
                    reportMetadata(controller, shown, url, icon);
            },
            kScriptWorld);
    }

    // Through the tab's own proxy: without a usable one the tab shows no icon.
    static void loadIcon(Controller& controller, WebKitWebView* view, const std::string& url,
                         const std::optional<std::string>& declared) {
        BrowserTab* tab = tabOf(controller, view);
        if (!tab) return;
        auto store = WebsiteDataStore::of(view);
        fetchIcon(controller, *tab, url, PageIcons::iconAddress(url, declared),
                  store ? store : controller.websiteDataStore_,
                  [url](const BrowserTab& shown) { return shown.pageURL() == url; });
    }

    // The icon at `address` for the tab's page `url`, shown while `stillFor` the tab.
    static void fetchIcon(Controller& controller, const BrowserTab& tab, const std::string& url,
                          const std::optional<std::string>& address,
                          const std::shared_ptr<WebsiteDataStore>& store,
                          std::function<bool(const BrowserTab&)> stillFor) {
        if (!address) return;
        controller.context_.pageIcons.request(
            *address, controller.context_.sessions.storeSession(store),
            [&controller, alive = std::weak_ptr<int>(controller.alive_), id = tab.id, url,
             stillFor = std::move(stillFor)](Glib::RefPtr<Gdk::Pixbuf> image) {
                if (alive.expired()) return;
                BrowserTab* shown = controller.tabs_.find(id);
                if (!shown || !stillFor(*shown)) return;
                shown->state().icon = GObjectPtr<GdkPixbuf>::retain(image ? image->gobj() : nullptr);
                shown->state().iconPage = url;
                controller.presenter_.scheduleRefresh();
            });
    }

    static void reportMetadata(Controller& controller, WebKitWebView* view, const std::string& url,
                               const std::optional<std::string>& icon) {
        BrowserTab* tab = tabOf(controller, view);
        if (!tab || !controller.services_.onMetadata) return;
        const std::string title = tab->pageTitle();
        if (!title.empty()) {
            controller.services_.onMetadata(url, title, icon);
            return;
        }
        // The engine often has no title yet at this point: the page's own is read.
        controller.scripts_.run(view, "document.title", url,
                                [&controller, url, icon](WebKitWebView*, JSCValue* text) {
                                    if (controller.services_.onMetadata)
                                        controller.services_.onMetadata(url, scriptText(text).value_or(""), icon);
                                });
    }

    static gboolean onLoadFailed(WebKitWebView* view, WebKitLoadEvent, char* failingURI, GError* error,
                                 gpointer self) {
        g_object_set_data(G_OBJECT(view), kLoadFailedKey, GINT_TO_POINTER(1));
        failed(*static_cast<Controller*>(self), view, pageFailure(*error), failingURI ? failingURI : "");
        // Our own error box replaces the engine's error page.
        return TRUE;
    }

    static void onWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason,
                                       gpointer self) {
        const char* uri = webkit_web_view_get_uri(view);
        failed(*static_cast<Controller*>(self), view, webProcessEndedFailure(), uri ? uri : "");
    }

    static void failed(Controller& controller, WebKitWebView* view, const PageFailure& failure,
                       const std::string& failingAddress) {
        const std::string address = withoutCredentials(failingAddress);
        auto text = pageErrorText(failure, address);
        if (!text) return;  // a cancelled load, or one that became a download
        BrowserTab* tab = tabOf(controller, view);
        if (tab) {
            TabState& state = tab->state();
            state.addressCredentials.reset();
            state.error = *text;
            if (!address.empty()) state.failedURL = address;
            state.webProcessEnded = failure == webProcessEndedFailure();
        }
        if (isRoutinePageFailure(failure))
            logInfo(LogCategory::browser, pageFailureLogLine(failure, address));
        else
            logError(LogCategory::browser, pageFailureLogLine(failure, address));
        if (tab) controller.presenter_.refresh();
    }

    // ---- Policies ---------------------------------------------------------------------------

    static gboolean onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
            auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
            switch (responseVerdict(response)) {
                case ResponseVerdict::download: webkit_policy_decision_download(decision); break;
                case ResponseVerdict::show: webkit_policy_decision_use(decision); break;
                case ResponseVerdict::proxyRefusal: {
                    // Ignoring ends the load as interrupted, which shows nothing: the refusal is the failure.
                    WebKitURIResponse* refusal = webkit_response_policy_decision_get_response(response);
                    const char* uri = webkit_uri_response_get_uri(refusal);
                    const std::string address = uri ? uri : "";
                    const unsigned status = webkit_uri_response_get_status_code(refusal);
                    const bool mainFrame =
                        webkit_response_policy_decision_is_main_frame_main_resource(response);
                    webkit_policy_decision_ignore(decision);
                    if (mainFrame)
                        failed(controller, view,
                               proxyRefusalFailure(controller.websiteDataStore_->proxyAddress(), address,
                                                   status),
                               address);
                    break;
                }
            }
            return TRUE;
        }
        // The engine asks the main frame's and the subframes' navigations alike as navigation actions;
        // new windows come as their own type.
        decideNavigation(controller, view, decision, type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION);
        return TRUE;
    }

    static void decideNavigation(Controller& controller, WebKitWebView* view, WebKitPolicyDecision* decision,
                                 bool mainFrame) {
        // A website session that could not be set up blocks every page of it.
        if (auto message = controller.context_.sessions.errorMessage(controller.websiteDataStore_)) {
            if (BrowserTab* tab = tabOf(controller, view)) {
                tab->state().error = *message;
                tab->state().showsStartPage = false;
                controller.presenter_.refresh();
            }
            webkit_policy_decision_ignore(decision);
            return;
        }
        WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
            WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        const std::string uri = requestURI(webkit_navigation_action_get_request(action)).value_or("");
        switch (navigationVerdict(uri)) {
            case NavigationVerdict::refuse: webkit_policy_decision_ignore(decision); return;
            case NavigationVerdict::askToOpenOutside: {
                const bool userGesture = webkit_navigation_action_is_user_gesture(action);
                webkit_policy_decision_ignore(decision);
                askToOpenOutside(controller, view, uri, mainFrame, userGesture);
                return;
            }
            case NavigationVerdict::allow: break;
        }
        if (!mainFrame) {
            webkit_policy_decision_use(decision);
            return;
        }
        // The engine would keep a user name and password with the page's address (in its icon
        // database and disk cache): the page is loaded without them, and they answer the site's
        // challenge instead.
        if (auto credentials = uriCredentials(uri)) {
            webkit_policy_decision_ignore(decision);
            BrowserTab* tab = tabOf(controller, view);
            if (!tab) return;
            controller.defer([&controller, id = tab->id, address = withoutCredentials(uri), credentials] {
                if (BrowserTab* shown = controller.tabs_.find(id)) {
                    shown->state().addressCredentials = credentials;
                    webkit_web_view_load_uri(shown->webView(), address.c_str());
                }
            });
            return;
        }
        // The page's first request must already meet the current ad filter.
        applyAdFilterThenUse(
            controller, GObjectPtr<WebKitPolicyDecision>::retain(decision),
            GObjectPtr<WebKitUserContentManager>::retain(webkit_web_view_get_user_content_manager(view)));
    }

    // A site's challenge after its address came with credentials is answered once with them, for
    // the engine's session only; any other is the engine's to ask (the proxy's is answered where
    // the view is made).
    static gboolean onAuthenticate(WebKitWebView* view, WebKitAuthenticationRequest* request, gpointer self) {
        if (webkit_authentication_request_is_for_proxy(request)) return FALSE;
        BrowserTab* tab = tabOf(*static_cast<Controller*>(self), view);
        if (!tab || !tab->state().addressCredentials) return FALSE;
        const UriCredentials credentials = std::move(*tab->state().addressCredentials);
        tab->state().addressCredentials.reset();
        if (g_ascii_strcasecmp(credentials.host.c_str(), webkit_authentication_request_get_host(request)) !=
            0)
            return FALSE;
        WebKitCredential* answer =
            webkit_credential_new(credentials.user.c_str(), credentials.password.c_str(),
                                  WEBKIT_CREDENTIAL_PERSISTENCE_FOR_SESSION);
        webkit_authentication_request_authenticate(request, answer);
        webkit_credential_free(answer);
        return TRUE;
    }

    static void applyAdFilterThenUse(Controller& controller, GObjectPtr<WebKitPolicyDecision> decision,
                                     GObjectPtr<WebKitUserContentManager> manager) {
        controller.context_.blocking.applyCurrent(preferredAdFilter(controller.context_.preferences), manager.get(),
                                                  [decision] { webkit_policy_decision_use(decision.get()); });
    }

    // A page may not flood the screen: see OutsideLinkGate.
    static void askToOpenOutside(Controller& controller, WebKitWebView* view, const std::string& uri,
                                 bool mainFrame, bool userGesture) {
        BrowserTab* tab = tabOf(controller, view);
        Gtk::Window* window = questionWindow(controller);
        if (!tab || !window || !controller.outsideLinks_.mayAsk(tab->id, mainFrame, userGesture)) return;
        OutsideLinkQuestion question = outsideLinkQuestion(uri);
        controller.questions_.ask(
            tab->id, *window,
            {question.message, question.information, {question.openButton, question.cancelButton}, {}},
            [&controller, id = tab->id, uri](const PageQuestions::Reply& reply) {
                controller.outsideLinks_.answered(id);
                if (reply.button == 0) controller.page_.openOutside(uri);
            });
    }

    // ---- New windows and closing ------------------------------------------------------------

    static GtkWidget* onCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        const auto uri = requestURI(webkit_navigation_action_get_request(action));
        WebViewConfiguration configuration;
        configuration.websiteDataStore = controller.websiteDataStore_;
        configuration.userContentController =
            GObjectPtr<WebKitUserContentManager>::retain(webkit_web_view_get_user_content_manager(view));
        configuration.preferences = GObjectPtr<WebKitSettings>::retain(webkit_web_view_get_settings(view));
        configuration.websitePolicies =
            GObjectPtr<WebKitWebsitePolicies>::retain(webkit_web_view_get_website_policies(view));
        configuration.relatedView = GObjectPtr<WebKitWebView>::retain(view);

        std::optional<std::string_view> address;
        if (uri) address = *uri;
        switch (popupRoute(controller.isPersistent(), controller.context_.preferences.value().linkBehavior,
                           address)) {
            case PopupRoute::popupTab: return GTK_WIDGET(controller.tabs_.add(std::nullopt, configuration));
            case PopupRoute::floatingWindow: {
                if (!controller.services_.onPopup) return nullptr;
                WebKitWebView* opened = controller.services_.onPopup(configuration, uri);
                return opened ? GTK_WIDGET(opened) : nullptr;
            }
            case PopupRoute::defaultBrowser: controller.page_.openOutside(*uri); return nullptr;
        }
        return nullptr;
    }

    static void onClose(WebKitWebView* view, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        BrowserTab* tab = tabOf(controller, view);
        // A page in an ordinary tab cannot close its tab.
        if (!tab || !tab->state().isPopup) return;
        const Uuid id = tab->id;
        // Not from inside the closing view's own signal.
        controller.defer([&controller, id] { controller.tabs_.close(id); });
    }

    // ---- Files, devices and script dialogs --------------------------------------------------

    static gboolean onRunFileChooser(WebKitWebView* view, WebKitFileChooserRequest* request, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        BrowserTab* tab = tabOf(controller, view);
        Gtk::Window* window = questionWindow(controller);
        if (!tab || !window)
            webkit_file_chooser_request_cancel(request);
        else
            controller.questions_.chooseFiles(tab->id, *window, request);
        return TRUE;
    }

    static gboolean onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request,
                                        gpointer self) {
        if (!WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) return FALSE;  // the engine refuses the others
        auto& controller = *static_cast<Controller*>(self);
        const char* page = webkit_web_view_get_uri(view);
        auto question = mediaCaptureQuestion(
            mediaCaptureRequest(WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request)), page ? page : "");
        BrowserTab* tab = tabOf(controller, view);
        Gtk::Window* window = questionWindow(controller);
        if (!question || !tab || !window) {
            webkit_permission_request_deny(request);
            return TRUE;
        }
        auto held = GObjectPtr<WebKitPermissionRequest>::retain(request);
        controller.questions_.ask(tab->id, *window,
                                  {question->message, "", {question->allowButton, question->denyButton}, {}},
                                  [held](const PageQuestions::Reply& reply) {
                                      if (reply.button == 0)
                                          webkit_permission_request_allow(held.get());
                                      else
                                          webkit_permission_request_deny(held.get());
                                  });
        return TRUE;
    }

    // The page's print(): the dialog of the menu's Print, shown only as its tab's dialog guard lets
    // it (one at a time, none right after the last was dismissed) and never holding the window, so a
    // page printing in a loop cannot keep the window from closing. The engine's own dialog would wait
    // in a loop of its own, holding the window and bringing the dialog back at once.
    static gboolean onPrint(WebKitWebView* view, WebKitPrintOperation*, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        BrowserTab* tab = tabOf(controller, view);
        Gtk::Window* window = questionWindow(controller);
        if (!tab || tab->state().showsStartPage || !window || !canAttachDialog(window->gobj())) return TRUE;
        auto& guard = controller.dialogGuards_.try_emplace(tab->id, controller.context_.clock).first->second;
        if (!guard.printing()) return TRUE;
        controller.questions_.print(tab->id, *window, view, [&controller, id = tab->id] {
            if (auto guard = controller.dialogGuards_.find(id); guard != controller.dialogGuards_.end())
                guard->second.printClosed();
        });
        return TRUE;
    }

    static gboolean onScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        const ScriptDialogKind kind = scriptDialogKind(dialog);
        BrowserTab* tab = tabOf(controller, view);
        Gtk::Window* window = questionWindow(controller);
        ScriptDialogGuard* guard =
            tab ? &controller.dialogGuards_.try_emplace(tab->id, controller.context_.clock).first->second
                : nullptr;
        // A page whose dialogs the user stopped gets the answer of a dismissed dialog at once.
        if (!isScriptDialogShown(kind) || !tab || !window || guard->isStopped()) {
            answerScriptDialog(dialog, scriptDialogAnswer(kind, std::nullopt));
            return TRUE;
        }
        const char* page = webkit_web_view_get_uri(view);
        const std::string pageURI = page ? page : "";
        ScriptDialogContent content = scriptDialogContent(dialog, pageURI);
        std::optional<std::string> field;
        if (content.hasTextField) field = content.defaultText;
        PageQuestions::Question question{content.title, content.message, content.buttons, field};
        if (guard->opening()) question.stopOffer = scriptDialogStopOffer();
        webkit_script_dialog_ref(dialog);
        controller.questions_.ask(
            tab->id, *window, std::move(question),
            [&controller, id = tab->id, dialog, kind, pageURI](const PageQuestions::Reply& reply) {
                std::optional<std::size_t> chosen;
                if (reply.button) chosen = static_cast<std::size_t>(*reply.button);
                answerScriptDialog(dialog, scriptDialogAnswer(kind, chosen, reply.text));
                webkit_script_dialog_close(dialog);
                webkit_script_dialog_unref(dialog);
                auto guard = controller.dialogGuards_.find(id);
                if (guard == controller.dialogGuards_.end()) return;
                guard->second.closed();
                if (!reply.stopChosen) return;
                guard->second.stop(pageURI);
                // The tab may have gone on to another page while the dialog was open.
                if (BrowserTab* shown = controller.tabs_.find(id))
                    guard->second.committed(shown->pageURL().value_or(""));
            });
        return TRUE;
    }
};

// ---- The controller's operations --------------------------------------------------------------

void BrowserViewController::loadSleepingTabIcon(const Uuid& id) {
    BrowserTab* tab = tabs_.find(id);
    if (!tab || !tab->state().isSleeping || !tab->state().lastURL) return;
    // The site's "/favicon.ico": the page's own icon link is read once it is woken. A tab woken
    // meanwhile shows what its page brings instead.
    const std::string url = *tab->state().lastURL;
    PageEventHandlers::fetchIcon(
        *this, *tab, url, PageIcons::iconAddress(url, std::nullopt), websiteDataStore_,
        [url](const BrowserTab& shown) { return shown.state().isSleeping && shown.state().lastURL == url; });
}

void BrowserViewController::connectPageEvents(BrowserTab& tab) {
    WebKitWebView* view = tab.webView();
    using H = PageEventHandlers;
    const std::pair<const char*, GCallback> handlers[] = {
        {"load-changed", G_CALLBACK(H::onLoadChanged)},
        {"load-failed", G_CALLBACK(H::onLoadFailed)},
        {"web-process-terminated", G_CALLBACK(H::onWebProcessTerminated)},
        {"decide-policy", G_CALLBACK(H::onDecidePolicy)},
        {"authenticate", G_CALLBACK(H::onAuthenticate)},
        {"create", G_CALLBACK(H::onCreate)},
        {"close", G_CALLBACK(H::onClose)},
        {"run-file-chooser", G_CALLBACK(H::onRunFileChooser)},
        {"permission-request", G_CALLBACK(H::onPermissionRequest)},
        {"script-dialog", G_CALLBACK(H::onScriptDialog)},
        {"print", G_CALLBACK(H::onPrint)},
    };
    for (const auto& [signal, callback] : handlers)
        tab.addObservation(view, g_signal_connect(view, signal, callback, this));
    // Every download of the view's engine, links with a download attribute included, goes to the
    // download manager with the window of the view that started it.
    if (context_.downloads) context_.downloads->observe(webkit_web_view_get_context(view));
}

}  // namespace quenlith
