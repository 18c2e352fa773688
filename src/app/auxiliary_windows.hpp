#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/connection.h>

#include "model/page_clip.hpp"
#include "model/pasted_links.hpp"

namespace Gtk {
class Window;
}

namespace quenlith {

// The application's auxiliary windows, one slot each. Settings, downloads, the library and the
// guide are kept once built and brought back, with their state, by every later request; Quick
// Open, "Open Multiple Links" and the save-page window are reused only while they are visible and
// are otherwise built again from fresh inputs. A window whose own view is not there yet shows a
// small window with its title. Main thread only.
class AuxiliaryWindows {
public:
    enum class Kind { settings, downloads, library, clip, guide, quickOpen, batchLinks };

    AuxiliaryWindows();
    ~AuxiliaryWindows();
    AuxiliaryWindows(const AuxiliaryWindows&) = delete;
    AuxiliaryWindows& operator=(const AuxiliaryWindows&) = delete;

    // The builder of a kind's real window; a kind without one gets the placeholder. The clip
    // builder reads the draft from `clipDraft()`.
    void setBuilder(Kind kind, std::function<std::unique_ptr<Gtk::Window>()> builder) {
        builders_[kind] = std::move(builder);
    }
    // Closes the launcher before a window comes forward.
    void setDismissLauncher(std::function<void()> dismissLauncher) {
        dismissLauncher_ = std::move(dismissLauncher);
    }

    void showSettings() { show(Kind::settings); }
    void showDownloads() { show(Kind::downloads); }
    void showLibrary() { show(Kind::library); }
    void showGuide() { show(Kind::guide); }
    void showQuickOpen() { show(Kind::quickOpen); }
    void showBatchLinks() { showBatchLinks(BatchAction::tabs, ""); }
    // The library's request: its action and text, used only when the window is built anew.
    void showBatchLinks(BatchAction action, const std::string& text);
    void showClip(const PageClip& draft);
    void closeQuickOpen() { close(Kind::quickOpen); }
    void closeBatchLinks() { close(Kind::batchLinks); }
    void closeClip() { close(Kind::clip); }

    // The window in a slot, or nullptr.
    Gtk::Window* window(Kind kind) const;
    const PageClip& clipDraft() const { return clipDraft_; }
    struct BatchRequest {
        BatchAction action = BatchAction::tabs;
        std::string text;
    };
    const BatchRequest& batchRequest() const { return batchRequest_; }

    // Whether a held window is brought back even after it was closed.
    static bool reusedWhileHeld(Kind kind);
    static std::string title(Kind kind);

private:
    void show(Kind kind);
    void close(Kind kind);
    std::unique_ptr<Gtk::Window> build(Kind kind);
    void scheduleRetire();

    std::map<Kind, std::function<std::unique_ptr<Gtk::Window>()>> builders_;
    std::function<void()> dismissLauncher_;
    std::map<Kind, std::unique_ptr<Gtk::Window>> slots_;
    // Windows taken out of their slot wait here for the next idle turn, so a window closing from
    // inside its own handler is never freed under it.
    std::vector<std::unique_ptr<Gtk::Window>> retired_;
    sigc::connection retireIdle_;
    PageClip clipDraft_;
    BatchRequest batchRequest_;
};

}  // namespace quenlith
