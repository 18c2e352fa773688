#pragma once

#include <utility>
#include <vector>

#include "browser/page/download_location_chooser.hpp"

namespace quenlith::test {

// Answers the save question from the test instead of a dialog.
class ScriptedLocationChooser final : public DownloadLocationChooser {
public:
    struct Question {
        std::string fileName;
        GtkWindow* parent;
        Reply reply;
    };
    std::vector<Question> questions;

    void chooseLocation(const std::string& fileName, GtkWindow* parent, Reply reply) override {
        questions.push_back({fileName, parent, std::move(reply)});
    }
    void answer(std::size_t index, std::optional<std::string> path) {
        auto reply = std::move(questions.at(index).reply);
        reply(std::move(path));
    }
};

}  // namespace quenlith::test
