#include "app/quenlith_application.hpp"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <gtkmm/messagedialog.h>

#include "browser/engine/acceleration_probe.hpp"
#include "model/address_text.hpp"
#include "model/app_paths.hpp"
#include "model/local_options.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "ui/alert.hpp"
#include "ui/icon_names.hpp"
#include "ui/message_dialog.hpp"
#include "ui/work_area_fit.hpp"

namespace quenlith {

namespace {

// Whether a command-line argument is a link of the application's own scheme (any letter case);
// only those are handed on.
bool isApplicationLink(const char* argument) {
    gchar* scheme = g_uri_parse_scheme(argument);
    const bool ours = scheme && asciiLowercased(scheme) == "quenlith";
    g_free(scheme);
    return ours;
}

// How long a start waits for a running instance to answer before giving up on it.
constexpr int kAnswerLimitMilliseconds = 3000;

// Whether another process owns the application's name on the session bus but does not answer a
// ping in time (frozen, or stopped). Registering would wait 25 s for it and then fail, losing the
// links. No bus, no owner or any other failure counts as "not silent": registering decides then.
// Runs before any window exists, bounded by the limit above.
bool runningInstanceIsSilent() {
    g_autoptr(GError) error = nullptr;
    g_autoptr(GDBusConnection) bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) return false;
    g_autoptr(GVariant) owner = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
        g_variant_new("(s)", kApplicationIdentifier), G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE,
        kAnswerLimitMilliseconds, nullptr, nullptr);
    if (!owner) return false;
    const char* uniqueName = nullptr;
    g_variant_get(owner, "(&s)", &uniqueName);
    // GDBus answers a ping on its own connection thread: only a process that runs no code at all
    // stays silent, never one whose main loop is merely busy starting.
    g_autoptr(GVariant) pong = g_dbus_connection_call_sync(
        bus, uniqueName, "/com/quenlith/Quenlith", "org.freedesktop.DBus.Peer", "Ping", nullptr, nullptr,
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kAnswerLimitMilliseconds, nullptr, &error);
    return !pong && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
}

// Links this start could not hand to an instance, one per line on standard output, after a line on
// standard error saying so: nothing the person asked to open is lost.
void printLinksNotOpened(const std::vector<std::string>& links) {
    if (links.empty()) return;
    std::fprintf(stderr, "%s\n", localizedString("These links were not opened:").c_str());
    std::fflush(stderr);
    for (const auto& link : links) std::fprintf(stdout, "%s\n", link.c_str());
    std::fflush(stdout);
}

// An installed binary (PREFIX/bin/quenlith) reads the resources installed beside it in
// PREFIX/share/quenlith; one run from the build folder keeps the build's own copy.
void useInstalledResources() {
    if (g_getenv("QUENLITH_RESOURCE_DIR")) return;
    gchar* executable = g_file_read_link("/proc/self/exe", nullptr);
    if (!executable) return;
    gchar* folder = g_path_get_dirname(executable);
    gchar* installed = g_build_filename(folder, "..", "share", "quenlith", nullptr);
    gchar* canonical = g_canonicalize_filename(installed, nullptr);
    if (g_file_test(canonical, G_FILE_TEST_IS_DIR)) g_setenv("QUENLITH_RESOURCE_DIR", canonical, TRUE);
    g_free(canonical);
    g_free(installed);
    g_free(folder);
    g_free(executable);
}

}  // namespace

Glib::RefPtr<QuenlithApplication> QuenlithApplication::create() {
    useInstalledResources();
    // Before GTK reads its locale, with the resources settled: GTK's own texts follow the
    // language chosen in Quenlith.
    useInterfaceLanguageForToolkitTexts();
    // The toolkit opens the display as the application object is made, and without one it ends the
    // process with a bare "cannot open display": say first what Quenlith needs. Only the X11
    // backend is allowed, so a Wayland session needs XWayland.
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(
            stderr, "%s\n",
            localizedString("Quenlith needs an X11 display: on Wayland it runs through XWayland. No X "
                            "display could be opened (DISPLAY is not set or cannot be reached).")
                .c_str());
        std::fflush(stderr);
        std::exit(EXIT_FAILURE);
    }
    return Glib::RefPtr<QuenlithApplication>(new QuenlithApplication());
}

QuenlithApplication::QuenlithApplication() : Gtk::Application(kApplicationIdentifier, Gio::APPLICATION_HANDLES_OPEN) {}

QuenlithApplication::~QuenlithApplication() { removeSignalSources(); }

void QuenlithApplication::on_startup() {
    Gtk::Application::on_startup();
    signal_shutdown().connect(sigc::mem_fun(*this, &QuenlithApplication::shutdown));
    // A signal ends the application the way quitting does, so the last frames and websites are
    // saved before the process exits.
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        signalSources_.push_back(g_unix_signal_add(signal, &QuenlithApplication::onTerminationSignal, this));
    // One instance per data folder, decided before anything reads or writes it: without a session
    // bus (or on a bus of another session) every start becomes an instance of its own. A folder
    // that cannot be held at all is refused the same way: unheld, it could be another's too.
    auto lock = DataFolderLock::acquire(applicationDataDirectory());
    if (!lock) {
        refuseStart(lock.error());
        return;
    }
    dataFolderLock_.emplace(std::move(*lock));
    // The display is open: how its web pages are drawn is found out while the rest starts.
    AccelerationProbe::start();
    // Every dialog, those the toolkit makes itself among them (the file choosers, printing), comes
    // up inside the work area of its screen.
    keepDialogsInWorkArea();
    // Title bars and taskbar buttons show the application's icon, not the desktop's generic one.
    useApplicationIconForWindows();
    // "Quit" in any menu ends the application like a signal does.
    delegate_.setOnQuit([this] { quit(); });
    // Closing the last window never quits: the application lives on without windows.
    hold();
}

void QuenlithApplication::refuseStart(const Error& reason) {
    refused_ = true;
    const bool inUse = reason.code == kDataFolderInUse;
    logError(LogCategory::lifecycle, inUse ? "Another process holds the data folder; this start ends"
                                           : "The data folder cannot be held; this start ends");
    std::fprintf(stderr, "%s\n", reason.message.c_str());
    std::fflush(stderr);
    // The alert alone keeps the application running; answering it (or a signal) ends it.
    refusal_ = makeMessageDialog(
        Gtk::MESSAGE_WARNING,
        localizedString(inUse ? "Quenlith is already running" : "Quenlith cannot use its data folder"),
        reason.message, /*parent=*/nullptr, /*modal=*/false);
    refusal_->set_position(Gtk::WIN_POS_CENTER);
    // The running instance's windows may be kept above: beneath them the person would never see
    // why nothing happened.
    refusal_->set_keep_above(true);
    refusal_->add_button(localizedString("OK"), Gtk::RESPONSE_OK);
    refusal_->signal_response().connect([this](int) { quit(); });
    add_window(*refusal_);
    refusal_->show();
}

void QuenlithApplication::on_activate() {
    if (refused_) {
        if (refusal_) refusal_->present();
        return;
    }
    // The first activation starts the application; activating it again (a second start) opens
    // the launcher.
    if (delegate_.environment()) {
        delegate_.reopen();
        return;
    }
    delegate_.finishLaunching();
}

void QuenlithApplication::on_open(const type_vec_files& files, const Glib::ustring&) {
    std::vector<std::string> links;
    for (const auto& file : files)
        if (file) links.push_back(file->get_uri());
    if (refused_) {
        printLinksNotOpened(links);
        return;
    }
    // Links of the first start wait in the delegate until launching has finished.
    delegate_.open(links);
    delegate_.finishLaunching();
}

bool QuenlithApplication::local_command_line_vfunc(char**& arguments, int& exit_status) {
    std::vector<std::string> links;
    if (arguments && arguments[0]) {
        char** kept = arguments + 1;
        for (char** argument = arguments + 1; *argument; ++argument) {
            if (**argument == '-' || isApplicationLink(*argument)) {
                if (**argument != '-') links.emplace_back(*argument);
                *kept++ = *argument;
                continue;
            }
            std::fprintf(stderr, "%s\n", ignoredArgumentMessage(*argument).c_str());
            g_free(*argument);
        }
        *kept = nullptr;
    }
    // The help is answered here whatever runs; for any other options, which of them end the start
    // here and which register (and would wait for a frozen instance) is the toolkit's to decide,
    // so such a start asks first.
    std::vector<std::string> options;
    for (char** argument = arguments && arguments[0] ? arguments + 1 : arguments; argument && *argument; ++argument)
        options.emplace_back(*argument);
    if (!answeredWithoutInstance(options) && runningInstanceIsSilent()) {
        std::fprintf(stderr, "%s\n",
                     localizedString("Quenlith is running but does not answer; it may be frozen.").c_str());
        printLinksNotOpened(links);
        exit_status = 1;
        return true;
    }
    return Gtk::Application::local_command_line_vfunc(arguments, exit_status);
}

void QuenlithApplication::shutdown() {
    removeSignalSources();
    delegate_.terminate();
}

int QuenlithApplication::onTerminationSignal(void* self) {
    static_cast<QuenlithApplication*>(self)->quit();
    // Come inside a loop the toolkit runs for a dialog of its own (a file chooser showing an
    // error), the quit is seen only once that loop has ended: answering the dialogs ends it.
    if (g_main_depth() > 1) closeModalDialogs();
    return G_SOURCE_CONTINUE;
}

void QuenlithApplication::removeSignalSources() {
    for (unsigned source : signalSources_) g_source_remove(source);
    signalSources_.clear();
}

}  // namespace quenlith
