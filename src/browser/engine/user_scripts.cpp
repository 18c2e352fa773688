#include "browser/engine/user_scripts.hpp"

#include <set>

namespace quenlith {

namespace {
constexpr const char* kSourcesKey = "quenlith-user-script-sources";

std::set<std::string>* recordedSources(WebKitUserContentManager* manager, bool create) {
    auto* sources = static_cast<std::set<std::string>*>(g_object_get_data(G_OBJECT(manager), kSourcesKey));
    if (!sources && create) {
        sources = new std::set<std::string>();
        g_object_set_data_full(G_OBJECT(manager), kSourcesKey, sources,
                               [](gpointer data) { delete static_cast<std::set<std::string>*>(data); });
    }
    return sources;
}
}  // namespace

bool addUserScriptOnce(WebKitUserContentManager* manager, const std::string& source,
                       WebKitUserContentInjectedFrames frames, WebKitUserScriptInjectionTime time) {
    auto* sources = recordedSources(manager, true);
    if (!sources->insert(source).second) return false;
    WebKitUserScript* script =
        webkit_user_script_new_for_world(source.c_str(), frames, time, kScriptWorld, nullptr, nullptr);
    webkit_user_content_manager_add_script(manager, script);
    webkit_user_script_unref(script);
    return true;
}

bool hasUserScript(WebKitUserContentManager* manager, const std::string& source) {
    auto* sources = recordedSources(manager, false);
    return sources && sources->contains(source);
}

}  // namespace quenlith
