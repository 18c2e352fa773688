#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glibmm/refptr.h>
#include <gtkmm/application.h>

#include "app/app_delegate.hpp"
#include "model/data_folder_lock.hpp"

namespace Gtk {
class MessageDialog;
}

namespace quenlith {

// The application object: one instance per user session ("com.quenlith.Quenlith" on the session
// bus; starting it again only activates the running one, handing it the quenlith:// links of its
// command line) and one per data folder (a start that becomes an instance of its own while another
// holds the folder shows why and ends, writing nothing). It keeps running without windows, and
// quitting it, or SIGTERM, SIGINT or SIGHUP, runs the same ordered shutdown.
class QuenlithApplication : public Gtk::Application {
public:
    static Glib::RefPtr<QuenlithApplication> create();
    ~QuenlithApplication() override;

    AppDelegate& delegate() { return delegate_; }
    // Whether this start became an instance while another held the data folder, and so ended
    // without opening anything: the process then exits with a failure.
    bool startRefused() const { return refused_; }

protected:
    QuenlithApplication();
    void on_startup() override;
    void on_activate() override;
    void on_open(const type_vec_files& files, const Glib::ustring& hint) override;
    // In the starting process: arguments that are no quenlith:// links are refused on standard
    // error before anything reaches the running instance; a running instance that does not answer
    // (frozen) ends this start within seconds, its links printed on standard output. The help is
    // answered at once, without looking for an instance.
    bool local_command_line_vfunc(char**& arguments, int& exit_status) override;

private:
    static int onTerminationSignal(void* self);
    void removeSignalSources();
    void shutdown();
    // Another instance holds the data folder, or it cannot be held at all: says why on standard
    // error and in an alert, which ends the application when answered; nothing in the data folder
    // is read or written.
    void refuseStart(const Error& reason);

    AppDelegate delegate_;
    std::vector<unsigned> signalSources_;
    // Held from the start until the process ends; empty when refused.
    std::optional<DataFolderLock> dataFolderLock_;
    bool refused_ = false;
    std::unique_ptr<Gtk::MessageDialog> refusal_;
};

}  // namespace quenlith
