#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace quenlith::test {

// The visible top-level windows of `type` (dialogs a test waits for), and the last of them.
std::vector<GtkWidget*> visibleToplevels(GType type);
inline GtkWidget* visibleToplevel(GType type) {
    auto all = visibleToplevels(type);
    return all.empty() ? nullptr : all.back();
}

// Presses and releases the first mouse button on the button as the display would deliver it, so
// a grab held by another window (a modal dialog) takes the click as it would take the user's.
void clickAsUser(GtkWidget* button);

// How one load of a web view ended.
struct LoadResult {
    bool finished = false;  // the load ended (after a failure too)
    bool failed = false;
    std::string error;  // the failure's message
};

// Loads the address and spins the main loop until the load ends or the timeout passes.
LoadResult loadAndWait(WebKitWebView* view, const std::string& uri,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Evaluates a script in the page's world (or the named one) and returns its result as JSON text;
// nothing when the evaluation failed.
std::optional<std::string> evaluate(WebKitWebView* view, const std::string& script,
                                    const char* world = nullptr);

// The sleep guard's answer for the page (isProtected), waited for.
std::optional<bool> guardProtects(WebKitWebView* view);

// A toplevel window showing the view for the life of the object (media and editing need a
// realized view).
class ViewHost {
public:
    explicit ViewHost(WebKitWebView* view);
    ~ViewHost();
    ViewHost(const ViewHost&) = delete;
    ViewHost& operator=(const ViewHost&) = delete;

private:
    GtkWidget* window_ = nullptr;
};

// Counts which of the watched widgets, and of every widget inside them (the toolkit's and the
// engine's internal ones included), have ended: what a view that goes leaves behind. The counts
// outlive the watch, so a widget that ends after it does no harm.
class WidgetTreeWatch {
public:
    void watch(GtkWidget* widget);
    int watched() const { return watched_; }
    int ended() const { return *ended_; }
    // Spins the main loop until every watched widget has ended or the timeout passes.
    bool allEnded(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    int watched_ = 0;
    std::shared_ptr<int> ended_ = std::make_shared<int>(0);
};

// A mono 16-bit WAV file of a sine tone.
std::string toneWav(double seconds, int frequency = 440);

}  // namespace quenlith::test
