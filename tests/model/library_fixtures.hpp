#pragma once

// Valid library records for tests; each test changes the one field it is about.

#include <string>

#include "model/library_document.hpp"

namespace quenlith::test {

inline PageClip makeClip(std::string address = "https://example.com/article", std::string title = "Article") {
    PageClip clip;
    clip.id = Uuid::random();
    clip.title = std::move(title);
    clip.address = std::move(address);
    clip.text = "excerpt";
    clip.collection = "";
    clip.modified = Date{700000000.25};
    return clip;
}

inline SceneWindow makeSceneWindow() {
    SceneWindow window;
    window.id = Uuid::random();
    window.name = "Window";
    window.urls = {"https://example.com/", "https://example.org/page"};
    window.selected = 1;
    window.frame = CodableRect{10, 20, 800, 600, 1u};
    window.opacity = 0.9;
    window.onTop = true;
    window.compact = false;
    return window;
}

inline BrowserScene makeScene(std::string name = "Morning") {
    BrowserScene scene;
    scene.id = Uuid::random();
    scene.name = std::move(name);
    scene.windows = {makeSceneWindow()};
    scene.modified = Date{700000100.5};
    return scene;
}

inline HistoryVisit makeVisit(std::string address, Date date) {
    return HistoryVisit{Uuid::random(), std::move(address), "Visited", date};
}

}  // namespace quenlith::test
