#include "browser/page/external_launch.hpp"

#include <memory>

#include <gio/gio.h>

#include "model/logging.hpp"

namespace quenlith {

void openWithDefaultApplication(const std::string& uri, LaunchFailed failed) {
    struct Call {
        std::string uri;
        LaunchFailed failed;
    };
    g_app_info_launch_default_for_uri_async(
        uri.c_str(), nullptr, nullptr,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Call> call(static_cast<Call*>(data));
            GError* error = nullptr;
            if (g_app_info_launch_default_for_uri_finish(result, &error)) return;
            std::string reason = error && error->message ? error->message : "";
            g_clear_error(&error);
            logError(LogCategory::browser, "Could not open an address outside: " + reason);
            if (call->failed) call->failed(reason);
        },
        new Call{uri, std::move(failed)});
}

}  // namespace quenlith
