#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/scheduler.hpp"
#include "model/uuid.hpp"

namespace Gtk {
class Window;
}
typedef struct _WebKitFileChooserRequest WebKitFileChooserRequest;
typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

// The questions the pages of one window put to the user: links to other applications, camera and
// microphone, script dialogs, file choosers and print dialogs. Each belongs to the tab whose page
// asked and is answered exactly once: by the user, or negatively when its tab closes or the
// window's browsing ends. None outlives its tab. A question never holds its window: the tab and
// the window can be closed while it is open, and it is hidden and shown again with the window.
// Main thread only.
class PageQuestions {
public:
    struct Reply {
        std::optional<int> button;  // the chosen button's index; nothing when closed otherwise or dismissed
        std::string text;           // the text of the question's field
        bool stopChosen = false;    // the stop offer's check box was ticked
    };
    using Answer = std::function<void(const Reply& reply)>;

    struct Question {
        std::string title;
        std::string message;
        std::vector<std::string> buttons;  // the first one confirms
        std::optional<std::string> field;  // a text field holding this text
        std::string stopOffer = {};        // when set, a check box with this text under the message
    };

    explicit PageQuestions(Scheduler& scheduler);
    ~PageQuestions();
    PageQuestions(const PageQuestions&) = delete;
    PageQuestions& operator=(const PageQuestions&) = delete;

    // Shows the question, attached to `window` when it can take a dialog, free-standing otherwise;
    // a question for a hidden window waits for it to be shown.
    void ask(const Uuid& tab, Gtk::Window& window, Question question, Answer answer);
    // Lets the user pick files for the page's file input; cancelled when dismissed.
    void chooseFiles(const Uuid& tab, Gtk::Window& window, WebKitFileChooserRequest* request);
    // Shows the print dialog for the page of `view`, attached to `window` but not modal for it, so
    // that the window's close still reaches the window; cancelled when dismissed or when the window
    // hides. `ended` runs once it is answered or dismissed.
    void print(const Uuid& tab, Gtk::Window& window, WebKitWebView* view, std::function<void()> ended);

    // Takes the tab's questions off the screen and answers them negatively.
    void dismiss(const Uuid& tab);
    void dismissAll();
    std::size_t openCount() const { return open_.size(); }

private:
    struct Open;
    void end(int key, std::optional<int> response);

    Scheduler& scheduler_;
    std::map<int, std::unique_ptr<Open>> open_;
    int nextKey_ = 0;
    // Ended dialogs, released after the signal that ended them has returned.
    std::vector<ScheduledTask> releases_;
};

}  // namespace quenlith
