#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtkmm/messagedialog.h>

#include "model/web_app_profile.hpp"

namespace Gtk {
class Widget;
class Window;
}

namespace quenlith {

// The question whether to delete a saved website, the same wherever it is asked: "Delete
// website?" over the window of the widget it comes from, `message` (what the deletion keeps, as
// the place asking tells it) under it, "Cancel" first and chosen by default, "Delete" marked as
// destructive. The website is handed to `onDelete` only when the person confirms; however it is
// answered, the keyboard goes back to the window it was asked from. `onShown`, when set, is told
// of each question before it shows. The question closes with its owner.
class WebsiteDeletionQuestion {
public:
    WebsiteDeletionQuestion(std::string message, std::function<void(const Uuid&)> onDelete,
                            std::function<void(Gtk::Window&)> onShown = {});
    ~WebsiteDeletionQuestion();
    WebsiteDeletionQuestion(const WebsiteDeletionQuestion&) = delete;
    WebsiteDeletionQuestion& operator=(const WebsiteDeletionQuestion&) = delete;

    // Asks about `profile`, on the window of `from` while that window is visible.
    void ask(const WebAppProfile& profile, Gtk::Widget& from);
    // The website whose deletion waits for the answer.
    const std::optional<WebAppProfile>& pending() const { return pending_; }
    // The question on screen, or nullptr.
    Gtk::MessageDialog* dialog() const { return dialog_.get(); }

private:
    void answer(int response);

    std::string message_;
    std::function<void(const Uuid&)> onDelete_;
    std::function<void(Gtk::Window&)> onShown_;
    std::optional<WebAppProfile> pending_;
    std::unique_ptr<Gtk::MessageDialog> dialog_;
};

}  // namespace quenlith
