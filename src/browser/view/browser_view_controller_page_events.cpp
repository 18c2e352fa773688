// The browser view's side of its pages: navigation start, finish and failure, the end of a web
// process, policy decisions, new windows, downloads, file choosers, camera and microphone
// requests, script dialogs, the error box's two actions, tab media and reading positions.

#include <map>

#include <glibmm/main.h>
#include <gtkmm/dialog.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "ui/alert.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/page/external_launch.hpp"
#include "browser/page/media_control.hpp"
#include "browser/page/navigation_policy.hpp"
#include "browser/page/page_dialog.hpp"
#include "browser/page/page_error.hpp"
#include "browser/page/permission_request.hpp"
#include "browser/page/popup_routing.hpp"
#include "browser/page/response_policy.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"

namespace quenlith {

namespace {

// Marks a web view whose current load failed: the engine still reports that load as finished.
constexpr const char* kLoadFailedKey = "quenlith-load-failed";

// Hands an address to another application without waiting for it; a failure is shown in the
// view's window (`window` is asked only while the view is alive).
void openOutside(const std::string& uri, std::weak_ptr<int> alive, std::function<Gtk::Window*()> window) {
    openWithDefaultApplication(uri, [alive = std::move(alive), window = std::move(window)](const std::string& reason) {
        if (alive.expired()) return;
        presentAlert(localizedString("No application could open this address."), reason, window());
    });
}

std::optional<std::string> requestURI(WebKitURIRequest* request) {
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (!uri || !*uri) return std::nullopt;
    return std::string(uri);
}

// A weak hold on a GObject for answers that may come after it is gone.
class WeakObject {
public:
    explicit WeakObject(gpointer object) { g_weak_ref_init(&ref_, object); }
    ~WeakObject() { g_weak_ref_clear(&ref_); }
    WeakObject(const WeakObject&) = delete;
    WeakObject& operator=(const WeakObject&) = delete;
    // A new reference, or nullptr when the object is gone.
    gpointer get() { return g_weak_ref_get(&ref_); }

private:
    GWeakRef ref_;
};

}  // namespace

// The questions a page has open: each is answered exactly once, when the user ends it or, at the
// latest, with its negative answer when the window's browsing ends.
struct BrowserViewController::PageEventsState {
    struct Question {
        std::unique_ptr<Gtk::Dialog> dialog;
        std::function<void(std::optional<int> button, const std::string& text)> answer;
        Gtk::Entry* entry = nullptr;
    };
    std::map<int, Question> questions;
    std::map<int, Glib::RefPtr<Gtk::FileChooserNative>> fileChoosers;
    std::map<int, GObjectPtr<WebKitFileChooserRequest>> fileRequests;
    int nextKey = 0;

    ~PageEventsState() {
        for (auto& [key, question] : questions) {
            question.dialog->hide();
            if (question.answer) question.answer(std::nullopt, "");
        }
        for (auto& [key, chooser] : fileChoosers) chooser->hide();
        for (auto& [key, request] : fileRequests) webkit_file_chooser_request_cancel(request.get());
    }
};

struct PageEventHandlers {
    using Controller = BrowserViewController;

    static Controller::PageEventsState& state(Controller& controller) {
        if (!controller.pageEvents_) controller.pageEvents_ = std::make_shared<Controller::PageEventsState>();
        return *controller.pageEvents_;
    }

    // The window a question is attached to; nothing when the view is in no window (the question is
    // then answered negatively at once).
    static Gtk::Window* questionWindow(Controller& controller) { return controller.window(); }

    // Shows a question with `buttons` (the first confirms) and hands the chosen button's index, or
    // nothing when it was closed otherwise, to `answer`. Attached to the window when it is visible
    // and shows no dialog yet, free-standing otherwise.
    static void ask(Controller& controller, Gtk::Window& window, const std::string& title, const std::string& message,
                    const std::vector<std::string>& buttons, std::optional<std::string> field,
                    std::function<void(std::optional<int>, const std::string&)> answer) {
        auto& questions = state(controller).questions;
        const int key = state(controller).nextKey++;
        auto dialog = std::make_unique<Gtk::MessageDialog>(title, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
        if (!message.empty()) dialog->set_secondary_text(message, false);
        if (window.get_visible() && !hasAttachedSheet(window)) dialog->set_transient_for(window);
        // The confirming button sits last, where this desktop puts it.
        for (std::size_t i = buttons.size(); i-- > 0;) dialog->add_button(buttons[i], static_cast<int>(i));
        dialog->set_default_response(0);
        Gtk::Entry* entry = nullptr;
        if (field) {
            entry = Gtk::manage(new Gtk::Entry());
            entry->set_text(*field);
            entry->set_size_request(280, 24);
            entry->set_activates_default(true);
            dialog->get_message_area()->pack_start(*entry, false, false);
            entry->show();
        }
        dialog->signal_response().connect([&controller, key](int response) {
            auto& open = state(controller).questions;
            auto found = open.find(key);
            if (found == open.end()) return;
            Controller::PageEventsState::Question question = std::move(found->second);
            open.erase(found);
            question.dialog->hide();
            std::string text = question.entry ? question.entry->get_text().raw() : std::string();
            std::optional<int> button;
            if (response >= 0) button = response;
            auto reply = std::move(question.answer);
            // The dialog is released after its own signal has returned.
            auto* released = question.dialog.release();
            Glib::signal_idle().connect_once([released] { delete released; });
            if (reply) reply(button, text);
        });
        dialog->show();
        questions[key] = {std::move(dialog), std::move(answer), entry};
    }

    static BrowserTab* tabOf(Controller& controller, WebKitWebView* view) { return controller.tabShowing(view); }

    // ---- Loads ------------------------------------------------------------------------------

    static void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        if (event == WEBKIT_LOAD_STARTED) {
            g_object_set_data(G_OBJECT(view), kLoadFailedKey, nullptr);
            started(controller, view);
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
        tab->showsStartPage = false;
        tab->error.reset();
        if (auto url = tab->pageURL()) tab->lastURL = url;
        controller.refreshChrome();
    }

    static void finished(Controller& controller, WebKitWebView* view) {
        BrowserTab* tab = tabOf(controller, view);
        if (!tab) return;
        tab->error.reset();
        const auto url = tab->pageURL();
        tab->lastURL = url;
        controller.applyPendingReadingPosition(*tab);
        if (controller.isPersistent() && url) reportVisit(controller, view, *url, tab->pageTitle());
        if (tab == controller.activeTab() && url && controller.services.onURLChange)
            controller.services.onURLChange(*url);
        if (!url) {
            controller.refreshChrome();
            return;
        }
        if (isSameWebsiteHost(*url, controller.profile_.homeURL)) requestMetadata(controller, view, *url);
        controller.refreshChrome();
    }

    // The engine often has no title yet when a load finishes: the page's own title is read then.
    static void reportVisit(Controller& controller, WebKitWebView* view, const std::string& url,
                            const std::string& title) {
        if (!controller.services.onVisit) return;
        if (!title.empty()) {
            controller.services.onVisit(url, title);
            return;
        }
        std::weak_ptr<int> alive = controller.alive_;
        evaluate(view, "document.title", nullptr, [&controller, alive, url](JSCValue* value) {
            if (alive.expired() || !controller.services.onVisit) return;
            std::optional<std::string> pageTitle;
            if (value && jsc_value_is_string(value)) {
                char* text = jsc_value_to_string(value);
                pageTitle = text;
                g_free(text);
            }
            controller.services.onVisit(url, visitTitle(pageTitle, url));
        });
    }

    static void requestMetadata(Controller& controller, WebKitWebView* view, const std::string& url) {
        std::weak_ptr<int> alive = controller.alive_;
        auto watched = std::make_shared<WeakObject>(view);
        evaluate(view, std::string(kFaviconLinkScript).c_str(), nullptr,
                 [&controller, alive, watched, url](JSCValue* value) {
                     if (alive.expired()) return;
                     auto* current = static_cast<WebKitWebView*>(watched->get());
                     if (!current) return;
                     GObjectPtr<WebKitWebView> held = GObjectPtr<WebKitWebView>::adopt(current);
                     const char* now = webkit_web_view_get_uri(current);
                     // The page moved on meanwhile: this answer is about a page no longer shown.
                     if (!now || url != now) return;
                     if (!isSameWebsiteHost(url, controller.profile_.homeURL)) return;
                     BrowserTab* tab = tabOf(controller, current);
                     if (!tab || !controller.services.onMetadata) return;
                     std::optional<std::string> icon;
                     if (value && jsc_value_is_string(value)) {
                         char* text = jsc_value_to_string(value);
                         icon = text;
                         g_free(text);
                     }
                     const std::string title = tab->pageTitle();
                     if (!title.empty()) {
                         controller.services.onMetadata(title, icon);
                         return;
                     }
                     // The engine often has no title yet at this point: the page's own is read.
                     evaluate(current, "document.title", nullptr,
                              [&controller, alive, watched, url, icon](JSCValue* titleValue) {
                                  if (alive.expired() || !controller.services.onMetadata) return;
                                  auto* shown = static_cast<WebKitWebView*>(watched->get());
                                  if (!shown) return;
                                  GObjectPtr<WebKitWebView> kept = GObjectPtr<WebKitWebView>::adopt(shown);
                                  const char* address = webkit_web_view_get_uri(shown);
                                  if (!address || url != address || !tabOf(controller, shown)) return;
                                  std::string pageTitle;
                                  if (titleValue && jsc_value_is_string(titleValue)) {
                                      char* text = jsc_value_to_string(titleValue);
                                      pageTitle = text;
                                      g_free(text);
                                  }
                                  controller.services.onMetadata(pageTitle, icon);
                              });
                 });
    }

    // Runs `script` in the page's own world of the main frame.
    static void evaluate(WebKitWebView* view, const char* script, const char* world, std::function<void(JSCValue*)> done) {
        auto* pending = new std::function<void(JSCValue*)>(std::move(done));
        webkit_web_view_evaluate_javascript(
            view, script, -1, world, nullptr, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                std::unique_ptr<std::function<void(JSCValue*)>> done(static_cast<std::function<void(JSCValue*)>*>(data));
                GError* error = nullptr;
                JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
                g_clear_error(&error);
                (*done)(value);
                if (value) g_object_unref(value);
            },
            pending);
    }

    static gboolean onLoadFailed(WebKitWebView* view, WebKitLoadEvent, char*, GError* error, gpointer self) {
        g_object_set_data(G_OBJECT(view), kLoadFailedKey, GINT_TO_POINTER(1));
        failed(*static_cast<Controller*>(self), view, pageFailure(*error));
        // Our own error box replaces the engine's error page.
        return TRUE;
    }

    static void onWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason, gpointer self) {
        failed(*static_cast<Controller*>(self), view, webProcessEndedFailure());
    }

    static void failed(Controller& controller, WebKitWebView* view, const PageFailure& failure) {
        auto text = pageErrorText(failure);
        if (!text) return;  // a cancelled load, or one that became a download
        BrowserTab* tab = tabOf(controller, view);
        if (tab) tab->error = *text;
        logError(LogCategory::browser, pageFailureLogLine(failure));
        if (tab) controller.refreshChrome();
    }

    // ---- Policies ---------------------------------------------------------------------------

    static gboolean onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
            if (responseVerdict(WEBKIT_RESPONSE_POLICY_DECISION(decision)) == ResponseVerdict::download)
                webkit_policy_decision_download(decision);
            else
                webkit_policy_decision_use(decision);
            return TRUE;
        }
        decideNavigation(controller, view, decision, type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION);
        return TRUE;
    }

    static void decideNavigation(Controller& controller, WebKitWebView* view, WebKitPolicyDecision* decision,
                                 bool mainFrame) {
        // A website session that could not be set up blocks every page of it.
        if (auto message = WebsiteSessions::shared().errorMessage(controller.websiteDataStore_)) {
            if (BrowserTab* tab = tabOf(controller, view)) {
                tab->error = *message;
                tab->showsStartPage = false;
                controller.refreshChrome();
            }
            webkit_policy_decision_ignore(decision);
            return;
        }
        WebKitNavigationAction* action =
            webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        const std::string uri = requestURI(webkit_navigation_action_get_request(action)).value_or("");
        switch (navigationVerdict(uri)) {
            case NavigationVerdict::refuse: webkit_policy_decision_ignore(decision); return;
            case NavigationVerdict::askToOpenOutside:
                webkit_policy_decision_ignore(decision);
                askToOpenOutside(controller, uri);
                return;
            case NavigationVerdict::allow: break;
        }
        if (!mainFrame) {
            webkit_policy_decision_use(decision);
            return;
        }
        // The page's first request must already meet the current ad filter.
        applyAdFilterThenUse(controller, GObjectPtr<WebKitPolicyDecision>::retain(decision),
                             GObjectPtr<WebKitUserContentManager>::retain(webkit_web_view_get_user_content_manager(view)));
    }

    static void applyAdFilterThenUse(Controller& controller, GObjectPtr<WebKitPolicyDecision> decision,
                                     GObjectPtr<WebKitUserContentManager> manager) {
        AdFilterSettings applying = controller.preferences.value().adFilterSettings().normalized();
        std::weak_ptr<int> alive = controller.alive_;
        AdBlocking::shared().apply(applying, manager.get(),
                                   [&controller, alive, decision, manager, applying](Status) {
                                       // A failure to apply does not hold the page back.
                                       if (!alive.expired() &&
                                           controller.preferences.value().adFilterSettings().normalized() != applying) {
                                           applyAdFilterThenUse(controller, decision, manager);
                                           return;
                                       }
                                       webkit_policy_decision_use(decision.get());
                                   });
    }

    static void askToOpenOutside(Controller& controller, const std::string& uri) {
        Gtk::Window* window = questionWindow(controller);
        if (!window) return;
        OutsideLinkQuestion question = outsideLinkQuestion(uri);
        ask(controller, *window, question.message, question.information, {question.openButton, question.cancelButton},
            std::nullopt, [uri, alive = std::weak_ptr<int>(controller.alive_), &controller](std::optional<int> button,
                                                                                          const std::string&) {
                if (button == 0) openOutside(uri, alive, [&controller] { return questionWindow(controller); });
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
        switch (popupRoute(controller.isPersistent(), controller.preferences.value().linkBehavior, address)) {
            case PopupRoute::popupTab: return GTK_WIDGET(controller.addTab(std::nullopt, configuration));
            case PopupRoute::floatingWindow: {
                if (!controller.services.onPopup) return nullptr;
                WebKitWebView* opened = controller.services.onPopup(configuration, uri);
                return opened ? GTK_WIDGET(opened) : nullptr;
            }
            case PopupRoute::defaultBrowser:
                openOutside(*uri, controller.alive_, [&controller] { return questionWindow(controller); });
                return nullptr;
        }
        return nullptr;
    }

    static void onClose(WebKitWebView* view, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        BrowserTab* tab = tabOf(controller, view);
        // A page in an ordinary tab cannot close its tab.
        if (!tab || !tab->isPopup) return;
        const Uuid id = tab->id;
        // Not from inside the closing view's own signal.
        controller.defer([&controller, id] { controller.closeTab(id); });
    }

    // ---- Files, devices and script dialogs --------------------------------------------------

    static gboolean onRunFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        Gtk::Window* window = questionWindow(controller);
        if (!window) {
            webkit_file_chooser_request_cancel(request);
            return TRUE;
        }
        auto& pages = state(controller);
        const int key = pages.nextKey++;
        auto chooser = Gtk::FileChooserNative::create("", Gtk::FILE_CHOOSER_ACTION_OPEN);
        if (window->get_visible() && !hasAttachedSheet(*window)) {
            chooser->set_transient_for(*window);
            chooser->set_modal(true);
        }
        chooser->set_select_multiple(webkit_file_chooser_request_get_select_multiple(request));
        pages.fileChoosers[key] = chooser;
        pages.fileRequests[key] = GObjectPtr<WebKitFileChooserRequest>::retain(request);
        chooser->signal_response().connect([&controller, key](int response) {
            auto& pages = state(controller);
            auto chooser = pages.fileChoosers.find(key);
            auto request = pages.fileRequests.find(key);
            if (chooser == pages.fileChoosers.end() || request == pages.fileRequests.end()) return;
            Glib::RefPtr<Gtk::FileChooserNative> finished = chooser->second;
            GObjectPtr<WebKitFileChooserRequest> asked = request->second;
            pages.fileChoosers.erase(chooser);
            pages.fileRequests.erase(request);
            Glib::signal_idle().connect_once([finished] {});
            std::vector<std::string> files = finished->get_filenames();
            if (response != GTK_RESPONSE_ACCEPT || files.empty()) {
                webkit_file_chooser_request_cancel(asked.get());
                return;
            }
            std::vector<const char*> names;
            for (const auto& file : files) names.push_back(file.c_str());
            names.push_back(nullptr);
            webkit_file_chooser_request_select_files(asked.get(), names.data());
        });
        chooser->show();
        return TRUE;
    }

    static gboolean onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer self) {
        if (!WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) return FALSE;  // the engine refuses the others
        auto& controller = *static_cast<Controller*>(self);
        const char* page = webkit_web_view_get_uri(view);
        auto question =
            mediaCaptureQuestion(mediaCaptureRequest(WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request)), page ? page : "");
        Gtk::Window* window = questionWindow(controller);
        if (!question || !window) {
            webkit_permission_request_deny(request);
            return TRUE;
        }
        auto held = GObjectPtr<WebKitPermissionRequest>::retain(request);
        ask(controller, *window, question->message, "", {question->allowButton, question->denyButton}, std::nullopt,
            [held](std::optional<int> button, const std::string&) {
                if (button == 0)
                    webkit_permission_request_allow(held.get());
                else
                    webkit_permission_request_deny(held.get());
            });
        return TRUE;
    }

    static gboolean onScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer self) {
        auto& controller = *static_cast<Controller*>(self);
        const ScriptDialogKind kind = scriptDialogKind(dialog);
        Gtk::Window* window = questionWindow(controller);
        if (!isScriptDialogShown(kind) || !window) {
            answerScriptDialog(dialog, scriptDialogAnswer(kind, std::nullopt));
            return TRUE;
        }
        const char* page = webkit_web_view_get_uri(view);
        ScriptDialogContent content = scriptDialogContent(dialog, page ? page : "");
        webkit_script_dialog_ref(dialog);
        std::optional<std::string> field;
        if (content.hasTextField) field = content.defaultText;
        ask(controller, *window, content.title, content.message, content.buttons, field,
            [dialog, kind](std::optional<int> button, const std::string& text) {
                std::optional<std::size_t> chosen;
                if (button) chosen = static_cast<std::size_t>(*button);
                answerScriptDialog(dialog, scriptDialogAnswer(kind, chosen, text));
                webkit_script_dialog_close(dialog);
                webkit_script_dialog_unref(dialog);
            });
        return TRUE;
    }
};

// ---- The controller's operations --------------------------------------------------------------

void BrowserViewController::connectPageEvents(BrowserTab& tab) {
    WebKitWebView* view = tab.webView();
    using H = PageEventHandlers;
    const std::pair<const char*, GCallback> handlers[] = {
        {"load-changed", G_CALLBACK(H::onLoadChanged)},
        {"load-failed", G_CALLBACK(H::onLoadFailed)},
        {"web-process-terminated", G_CALLBACK(H::onWebProcessTerminated)},
        {"decide-policy", G_CALLBACK(H::onDecidePolicy)},
        {"create", G_CALLBACK(H::onCreate)},
        {"close", G_CALLBACK(H::onClose)},
        {"run-file-chooser", G_CALLBACK(H::onRunFileChooser)},
        {"permission-request", G_CALLBACK(H::onPermissionRequest)},
        {"script-dialog", G_CALLBACK(H::onScriptDialog)},
    };
    for (const auto& [signal, callback] : handlers) tab.addObservation(view, g_signal_connect(view, signal, callback, this));
    // Every download of the view's engine, links with a download attribute included, goes to the
    // download manager with the window of the view that started it.
    if (downloads) downloads->observe(webkit_web_view_get_context(view));
}

void BrowserViewController::retryLoading() {
    BrowserTab* old = activeTab();
    if (!old) return;
    const auto address = quenlith::retryAddress(old->lastURL, old->pageURL(), profile_);
    if (!address) return;

    // A new web view on the same store: cookies and storage stay, the broken process goes.
    auto replacement = std::make_unique<BrowserTab>(
        WebViewFactory::makeWebView(websiteDataStore_, std::nullopt, profile_.customUserAgent), old->id, clock_.now());
    replacement->lastURL = address;
    replacement->isPopup = old->isPopup;
    replacement->pendingReadingPosition = old->pendingReadingPosition;
    const std::size_t index = tabs_.activeIndex();
    BrowserTab& added = *replacement;
    std::unique_ptr<BrowserTab> previous = tabs_.replace(index, std::move(replacement));
    previous->detach();
    previous.reset();
    attachTab(added);
    selectTab(index, true, true);
    loadInWebView(added.webView(), *address);
    logInfo(LogCategory::lifecycle, "Recreated failed browser tab with persistent website data preserved");
}

void BrowserViewController::openExternal() {
    BrowserTab* tab = activeTab();
    std::optional<std::string> viewURL = tab ? tab->pageURL() : std::nullopt;
    std::optional<std::string> lastURL = tab ? tab->lastURL : std::nullopt;
    if (auto address = defaultBrowserAddress(viewURL, lastURL, profile_))
        openOutside(*address, alive_, [this] { return window(); });
}

void BrowserViewController::toggleTabMedia(const Uuid& id) {
    BrowserTab* tab = this->tab(id);
    if (!tab) return;
    WebKitWebView* view = tab->webView();
    const bool pausing = !tab->mediaPaused;
    std::weak_ptr<int> alive = alive_;
    setPageMediaPaused(view, pausing, [this, alive, id, view, pausing](bool) {
        if (alive.expired()) return;
        // Only the same tab: one that slept or was recreated meanwhile starts unpaused.
        BrowserTab* current = tabShowing(view);
        if (!current || current->id != id) return;
        current->mediaPaused = pausing;
        tabStripSignature_.clear();
        refreshChrome();
    });
}

void BrowserViewController::applyPendingReadingPosition(BrowserTab& tab) {
    if (!tab.pendingReadingPosition) return;
    const PendingReadingPosition pending = *tab.pendingReadingPosition;
    tab.pendingReadingPosition.reset();  // used once, whether it matches or not
    if (!readingPositionApplies(pending.url, tab.pageURL())) return;
    GVariantDict arguments;
    g_variant_dict_init(&arguments, nullptr);
    g_variant_dict_insert(&arguments, "position", "d", pending.fraction);
    const std::string script(kReadingPositionScript);
    webkit_web_view_call_async_javascript_function(tab.webView(), script.c_str(), static_cast<gssize>(script.size()),
                                                   g_variant_dict_end(&arguments), nullptr, nullptr, nullptr, nullptr,
                                                   nullptr);
}

void BrowserViewController::restoreReadingPosition(std::optional<double> fraction, const std::string& address) {
    BrowserTab* tab = activeTab();
    if (!tab || !isUsableReadingPosition(fraction)) return;
    tab->pendingReadingPosition = PendingReadingPosition{address, *fraction};
    if (!tab->isLoading() && readingPositionApplies(address, tab->pageURL())) applyPendingReadingPosition(*tab);
}

}  // namespace quenlith
