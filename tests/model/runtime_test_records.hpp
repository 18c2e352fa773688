#pragma once

// Builders of runtime windows and tabs for the tests of the runtime store and the link model.

#include <optional>
#include <string>
#include <vector>

#include "model/runtime_window.hpp"

namespace quenlith::test {

inline RuntimeTab tab(std::optional<std::string> url, bool selected = false) {
    RuntimeTab t;
    t.id = Uuid::random();
    t.title = url.value_or("New Tab");
    t.url = std::move(url);
    t.isSelected = selected;
    return t;
}

inline RuntimeWindow window(int sequence, std::vector<RuntimeTab> tabs,
                            BrowserWindowState state = BrowserWindowState::visible,
                            std::optional<Uuid> session = std::nullopt) {
    RuntimeWindow w;
    w.id = Uuid::random();
    w.sequence = sequence;
    w.title = "Window " + std::to_string(sequence);
    w.state = state;
    w.tabs = std::move(tabs);
    w.profileID = Uuid::random();
    w.sessionIdentifier = session;
    return w;
}

}  // namespace quenlith::test
