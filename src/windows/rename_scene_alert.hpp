#pragma once

#include <functional>
#include <string>

#include "model/browser_scene.hpp"

namespace Gtk {
class Window;
}

namespace quenlith {

// The "Rename Page Group" question, attached to the key window (`keyWindow`, else the application's
// active window) holding the group's name. On "Save" with a name of 1 to 100 characters after
// trimming, `rename` gets the group's id and the trimmed name; anything else changes nothing and
// says nothing. Not shown without a key window or while that window already shows a question.
// `rename` is kept until the answer: it must find its target again.
void presentRenameAlert(const BrowserScene& scene,
                        std::function<void(const Uuid&, const std::string&)> rename,
                        Gtk::Window* keyWindow = nullptr);

}  // namespace quenlith
