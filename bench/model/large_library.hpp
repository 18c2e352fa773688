#pragma once

// The library the model benchmarks load and save: about 18 MB of library.json.

#include <string>

#include "model/library_document.hpp"

namespace quenlith::bench {

// A full library near the cap: 5,000 clips with long excerpts (some non-ASCII), 100 page groups
// of 20 windows with 10 tabs each, 1,000 visits.
inline LibraryDocument makeLargeLibrary() {
    LibraryDocument document;
    const std::string paragraph =
        "Floating windows keep a page beside your work. Ein schwebendes Fenster bleibt neben der Arbeit. "
        "浮动窗口让网页留在手边。 ";
    for (int i = 0; i < 5000; ++i) {
        PageClip clip;
        clip.id = Uuid::random();
        clip.title = "Saved article number " + std::to_string(i) + " — about floating browsers";
        clip.address = "https://news.example.com/articles/2024/" + std::to_string(i) + "?ref=home&utm_source=app";
        std::string text;
        while (text.size() < 3430) text += paragraph;
        clip.text = text;
        clip.collection = i % 3 == 0 ? "Research" : "";
        clip.modified = Date{700000000.0 + i};
        if (i % 4 == 0) {
            clip.readingState = ReadingState::unread;
            clip.readingPosition = 0.25;
        }
        if (i % 5 == 0) clip.profileID = Uuid::random();
        document.clips.push_back(std::move(clip));
    }
    for (int g = 0; g < 100; ++g) {
        BrowserScene scene;
        scene.id = Uuid::random();
        scene.name = "Group " + std::to_string(g);
        scene.modified = Date{710000000.0 + g};
        for (int w = 0; w < 20; ++w) {
            SceneWindow window;
            window.id = Uuid::random();
            window.name = "Window " + std::to_string(w);
            for (int t = 0; t < 10; ++t)
                window.urls.push_back("https://docs.example.org/guide/" + std::to_string(g) + "/" + std::to_string(t));
            window.selected = 3;
            window.frame = CodableRect{100.0 + w, 80.0, 900, 700, 1u};
            window.opacity = 0.95;
            scene.windows.push_back(std::move(window));
        }
        document.scenes.push_back(std::move(scene));
    }
    for (int v = 0; v < 1000; ++v)
        document.history.push_back(HistoryVisit{Uuid::random(), "https://visited.example.net/page/" + std::to_string(v),
                                                "Visited page " + std::to_string(v), Date{720000000.0 - v}});
    return document;
}

}  // namespace quenlith::bench
