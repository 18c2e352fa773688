#include "model/browser_scene.hpp"

#include "model/json_coding.hpp"

namespace quenlith {

void to_json(Json& json, const SceneWindow& window) {
    json = Json::object();
    json["id"] = window.id;
    json["name"] = window.name;
    json["urls"] = window.urls;
    json["selected"] = window.selected;
    json["frame"] = window.frame;
    json["opacity"] = window.opacity;
    json["onTop"] = window.onTop;
    json["compact"] = window.compact;
    writeOptional(json, "profileID", window.profileID);
    writeOptional(json, "windowSession", window.windowSession);
}

void from_json(const Json& json, SceneWindow& window) {
    requireObject(json);
    readRequired(json, "id", window.id);
    readRequired(json, "name", window.name);
    readRequired(json, "urls", window.urls);
    readRequired(json, "selected", window.selected);
    readRequired(json, "frame", window.frame);
    readRequired(json, "opacity", window.opacity);
    readRequired(json, "onTop", window.onTop);
    readRequired(json, "compact", window.compact);
    readOptional(json, "profileID", window.profileID);
    readOptional(json, "windowSession", window.windowSession);
}

void to_json(Json& json, const BrowserScene& scene) {
    json = Json::object();
    json["id"] = scene.id;
    json["name"] = scene.name;
    json["windows"] = scene.windows;
    json["modified"] = scene.modified;
}

void from_json(const Json& json, BrowserScene& scene) {
    requireObject(json);
    readRequired(json, "id", scene.id);
    readRequired(json, "name", scene.name);
    readRequired(json, "windows", scene.windows);
    readRequired(json, "modified", scene.modified);
}

}  // namespace quenlith
