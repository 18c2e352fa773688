#include "model/browser_scene.hpp"

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

namespace {

constexpr RecordFields kWindowFields{
    field("id", &SceneWindow::id),
    field("name", &SceneWindow::name),
    field("urls", &SceneWindow::urls),
    field("selected", &SceneWindow::selected),
    field("frame", &SceneWindow::frame),
    field("opacity", &SceneWindow::opacity),
    field("onTop", &SceneWindow::onTop),
    field("compact", &SceneWindow::compact),
    field("profileID", &SceneWindow::profileID),
    field("windowSession", &SceneWindow::windowSession),
};

constexpr RecordFields kSceneFields{
    field("id", &BrowserScene::id),
    field("name", &BrowserScene::name),
    field("windows", &BrowserScene::windows),
    field("modified", &BrowserScene::modified),
};

}  // namespace

void to_json(Json& json, const SceneWindow& window) {
    kWindowFields.write(json, window);
}

void from_json(const Json& json, SceneWindow& window) {
    kWindowFields.read(json, window);
}

void to_json(Json& json, const BrowserScene& scene) {
    kSceneFields.write(json, scene);
}

void from_json(const Json& json, BrowserScene& scene) {
    kSceneFields.read(json, scene);
}

}  // namespace quenlith
