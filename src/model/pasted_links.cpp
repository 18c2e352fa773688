#include "model/pasted_links.hpp"

namespace quenlith {

BrowserScene pastedLinksGroup(const std::vector<std::string>& urls, const std::string& name, Date now) {
    SceneWindow window;
    window.id = Uuid::random();
    window.name = name;
    window.urls = urls;
    window.selected = 0;
    window.frame = CodableRect{80, 80, 600, 700, std::nullopt};
    window.opacity = 1.0;
    window.onTop = true;
    window.compact = false;
    BrowserScene scene;
    scene.id = Uuid::random();
    scene.name = name;
    scene.windows = {window};
    scene.modified = now;
    return scene;
}

}  // namespace quenlith
