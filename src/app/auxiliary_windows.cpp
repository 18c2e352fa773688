#include "app/auxiliary_windows.hpp"

#include <glibmm/main.h>
#include <gtk/gtk.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include "model/localization.hpp"
#include "ui/asked_window.hpp"
#include "ui/kept_above.hpp"
#include "ui/work_area_fit.hpp"

namespace quenlith {

namespace {

// Stands in for a window whose own view is not there yet: its title, nothing more.
std::unique_ptr<Gtk::Window> placeholderWindow(const std::string& title) {
    auto window = std::make_unique<Gtk::Window>();
    auto* label = Gtk::manage(new Gtk::Label(title));
    label->set_margin_top(40);
    label->set_margin_bottom(40);
    label->set_margin_start(60);
    label->set_margin_end(60);
    window->add(*label);
    label->show();
    window->set_resizable(false);
    return window;
}

}  // namespace

AuxiliaryWindows::AuxiliaryWindows() = default;

AuxiliaryWindows::~AuxiliaryWindows() {
    retireIdle_.disconnect();
    for (auto& [kind, window] : slots_)
        if (window) window->hide();
}

bool AuxiliaryWindows::reusedWhileHeld(Kind kind) {
    switch (kind) {
        case Kind::settings:
        case Kind::downloads:
        case Kind::library:
        case Kind::guide: return true;
        default: return false;
    }
}

std::string AuxiliaryWindows::title(Kind kind) {
    switch (kind) {
        case Kind::settings: return localizedString("Quenlith Settings");
        case Kind::downloads: return localizedString("Downloads");
        case Kind::library: return localizedString("Saved Pages & Groups");
        case Kind::clip: return localizedString("Save Page / Selection");
        case Kind::guide: return localizedString("Quenlith Guide");
        case Kind::quickOpen: return localizedString("Quick Open");
        case Kind::batchLinks: return localizedString("Open Multiple Links");
    }
    return {};
}

Gtk::Window* AuxiliaryWindows::window(Kind kind) const {
    auto found = slots_.find(kind);
    return found == slots_.end() ? nullptr : found->second.get();
}

void AuxiliaryWindows::showClip(const PageClip& draft) {
    // A visible save-page window keeps the draft it was opened with.
    if (Gtk::Window* held = window(Kind::clip); !held || !held->get_visible()) clipDraft_ = draft;
    show(Kind::clip);
}

void AuxiliaryWindows::showBatchLinks(BatchAction action, const std::string& text) {
    // A visible window keeps what the user has typed; the request applies to a new one.
    if (Gtk::Window* held = window(Kind::batchLinks); !held || !held->get_visible()) batchRequest_ = {action, text};
    show(Kind::batchLinks);
}

void AuxiliaryWindows::show(Kind kind) {
    // The window the person asked from, taken before the launcher hides: the focus returns there.
    Gtk::Window* origin = focusedApplicationWindow();
    if (dismissLauncher_) dismissLauncher_();
    // The save-page window is a dialog of its page's window; the others stay above it while shown.
    const bool attach = kind == Kind::clip;
    if (Gtk::Window* held = window(kind); held && (reusedWhileHeld(kind) || held->get_visible())) {
        if (held->get_visible() && origin == held) return;
        if (!held->get_visible())
            keepAbove(*held, kind == Kind::quickOpen ? KeptAbove::always : KeptAbove::no);
        presentAskedWindow(*held, origin, attach);
        return;
    }
    auto built = build(kind);
    built->set_title(title(kind));
    built->set_position(Gtk::WIN_POS_CENTER);
    keepInWorkArea(*built);
    // Closing only hides the window: the slot decides whether it comes back.
    built->signal_delete_event().connect([window = built.get()](GdkEventAny*) {
        hideAskedWindow(*window);
        return true;
    });
    if (kind == Kind::quickOpen)
        keepAbove(*built, KeptAbove::always);
    else
        comeAboveWhenActive(*built);
    // Escape closes the windows that have no Cancel of their own, once the focused control has
    // passed on the key (a search field clears itself first).
    if (reusedWhileHeld(kind))
        built->signal_key_press_event().connect(
            [window = built.get()](GdkEventKey* event) {
                if (event->keyval != GDK_KEY_Escape || (event->state & gtk_accelerator_get_default_mod_mask()))
                    return false;
                window->close();
                return true;
            },
            true);
    presentAskedWindow(*built, origin, attach);
    if (auto& slot = slots_[kind]) retired_.push_back(std::move(slot));
    slots_[kind] = std::move(built);
    scheduleRetire();
}

void AuxiliaryWindows::scheduleRetire() {
    if (retired_.empty() || retireIdle_.connected()) return;
    retireIdle_ = Glib::signal_idle().connect([this] {
        for (auto& old : retired_) old->hide();
        retired_.clear();
        return false;
    });
}

void AuxiliaryWindows::close(Kind kind) {
    auto found = slots_.find(kind);
    if (found == slots_.end() || !found->second) return;
    hideAskedWindow(*found->second);
    retired_.push_back(std::move(found->second));
    slots_.erase(found);
    scheduleRetire();
}

std::unique_ptr<Gtk::Window> AuxiliaryWindows::build(Kind kind) {
    if (auto builder = builders_.find(kind); builder != builders_.end() && builder->second)
        if (auto built = builder->second()) return built;
    return placeholderWindow(title(kind));
}

}  // namespace quenlith
