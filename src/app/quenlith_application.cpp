#include "app/quenlith_application.hpp"

#include <csignal>

#include <glib-unix.h>

#include "model/app_paths.hpp"

namespace quenlith {

Glib::RefPtr<QuenlithApplication> QuenlithApplication::create() {
    return Glib::RefPtr<QuenlithApplication>(new QuenlithApplication());
}

QuenlithApplication::QuenlithApplication() : Gtk::Application(kApplicationIdentifier, Gio::APPLICATION_FLAGS_NONE) {}

QuenlithApplication::~QuenlithApplication() { removeSignalSources(); }

void QuenlithApplication::on_startup() {
    Gtk::Application::on_startup();
    signal_shutdown().connect(sigc::mem_fun(*this, &QuenlithApplication::shutdown));
    // Closing the last window never quits: the application lives on without windows.
    hold();
    // A signal ends the application the way quitting does, so the last frames and websites are
    // saved before the process exits.
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        signalSources_.push_back(g_unix_signal_add(signal, &QuenlithApplication::onTerminationSignal, this));
}

void QuenlithApplication::on_activate() {
    // The first activation starts the application; activating it again (a second start) opens
    // the launcher.
    if (delegate_.environment) {
        delegate_.reopen();
        return;
    }
    delegate_.onQuit = [this] { quit(); };
    delegate_.finishLaunching();
}

void QuenlithApplication::shutdown() {
    removeSignalSources();
    delegate_.terminate();
}

int QuenlithApplication::onTerminationSignal(void* self) {
    static_cast<QuenlithApplication*>(self)->quit();
    return G_SOURCE_CONTINUE;
}

void QuenlithApplication::removeSignalSources() {
    for (unsigned source : signalSources_) g_source_remove(source);
    signalSources_.clear();
}

}  // namespace quenlith
