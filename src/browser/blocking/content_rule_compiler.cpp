#include "browser/blocking/content_rule_compiler.hpp"

#include <cerrno>

#include <glib/gstdio.h>
#include <webkit2/webkit2.h>

#include "model/localization.hpp"
#include "model/logging.hpp"

namespace quenlith {
namespace {

// The error of a completion that gave neither a list nor an error.
Error missingResultError() { return Error{"invalidValue", "The operation could not be completed."}; }

Error errorFrom(GError* error, const char* code) {
    if (!error) return missingResultError();
    Error result{code, error->message ? error->message : ""};
    g_error_free(error);
    return result;
}

struct ListCall {
    std::string identifier;
    ContentRuleCompiler::ListHandler done;
};

using FinishList = WebKitUserContentFilter* (*)(WebKitUserContentFilterStore*, GAsyncResult*, GError**);

template <FinishList finish>
void listFinished(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<ListCall> call(static_cast<ListCall*>(data));
    GError* error = nullptr;
    WebKitUserContentFilter* filter = finish(WEBKIT_USER_CONTENT_FILTER_STORE(source), result, &error);
    if (filter) {
        if (error) g_error_free(error);
        call->done(ContentRuleListPtr(std::make_shared<ContentRuleList>(call->identifier, filter)));
    } else {
        call->done(errorFrom(error, "compileFailed"));
    }
}

// Runs `work` on a later main-loop turn: every operation completes later, also a refused one.
void later(std::function<void()> work) {
    g_idle_add(
        [](gpointer data) -> gboolean {
            std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(data));
            (*work)();
            return G_SOURCE_REMOVE;
        },
        new std::function<void()>(std::move(work)));
}

}  // namespace

ContentRuleList::ContentRuleList(std::string identifier, WebKitUserContentFilter* filter)
    : identifier_(std::move(identifier)), filter_(filter) {}

ContentRuleList::~ContentRuleList() {
    if (filter_) webkit_user_content_filter_unref(filter_);
}

WebKitContentRuleCompiler::WebKitContentRuleCompiler(const std::string& storagePath) : storagePath_(storagePath) {
    if (g_mkdir_with_parents(storagePath_.c_str(), 0700) != 0) {
        const int code = errno;
        folderError_ = Error{"folderFailed", localizedFormat("The folder “%@” could not be created: %@",
                                                             {storagePath_, g_strerror(code)})};
        logError(LogCategory::browser, "Content rule folder unavailable: " + folderError_->message);
        return;
    }
    store_ = GObjectPtr<WebKitUserContentFilterStore>::adopt(webkit_user_content_filter_store_new(storagePath_.c_str()));
}

WebKitContentRuleCompiler::~WebKitContentRuleCompiler() = default;

void WebKitContentRuleCompiler::compile(const std::string& identifier, std::string json, ListHandler done) {
    if (folderError_) return later([error = *folderError_, done = std::move(done)] { done(error); });
    // The text can be tens of megabytes: hand it over without copying.
    auto* text = new std::string(std::move(json));
    GBytes* bytes = g_bytes_new_with_free_func(text->data(), text->size(),
                                               [](gpointer data) { delete static_cast<std::string*>(data); }, text);
    webkit_user_content_filter_store_save(store_.get(), identifier.c_str(), bytes, nullptr,
                                          listFinished<webkit_user_content_filter_store_save_finish>,
                                          new ListCall{identifier, std::move(done)});
    g_bytes_unref(bytes);
}

void WebKitContentRuleCompiler::load(const std::string& identifier, ListHandler done) {
    if (folderError_) return later([error = *folderError_, done = std::move(done)] { done(error); });
    webkit_user_content_filter_store_load(store_.get(), identifier.c_str(), nullptr,
                                          listFinished<webkit_user_content_filter_store_load_finish>,
                                          new ListCall{identifier, std::move(done)});
}

void WebKitContentRuleCompiler::remove(const std::string& identifier, StatusHandler done) {
    if (folderError_) return later([error = *folderError_, done = std::move(done)] { done(error); });
    webkit_user_content_filter_store_remove(
        store_.get(), identifier.c_str(), nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<StatusHandler> handler(static_cast<StatusHandler*>(data));
            GError* error = nullptr;
            if (webkit_user_content_filter_store_remove_finish(WEBKIT_USER_CONTENT_FILTER_STORE(source), result, &error))
                (*handler)(success());
            else
                (*handler)(errorFrom(error, "removeFailed"));
        },
        new StatusHandler(std::move(done)));
}

void WebKitContentRuleCompiler::fetchIdentifiers(IdentifiersHandler done) {
    if (folderError_) return later([done = std::move(done)] { done({}); });
    webkit_user_content_filter_store_fetch_identifiers(
        store_.get(), nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<IdentifiersHandler> handler(static_cast<IdentifiersHandler*>(data));
            std::vector<std::string> identifiers;
            gchar** list = webkit_user_content_filter_store_fetch_identifiers_finish(WEBKIT_USER_CONTENT_FILTER_STORE(source), result);
            for (gchar** p = list; p && *p; ++p) identifiers.emplace_back(*p);
            g_strfreev(list);
            (*handler)(std::move(identifiers));
        },
        new IdentifiersHandler(std::move(done)));
}

}  // namespace quenlith
