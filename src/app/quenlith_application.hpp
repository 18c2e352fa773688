#pragma once

#include <vector>

#include <glibmm/refptr.h>
#include <gtkmm/application.h>

#include "app/app_delegate.hpp"

namespace quenlith {

// The application object: one instance per user session ("com.quenlith.Quenlith" on the session
// bus; starting it again only activates the running one, handing it the quenlith:// links of its
// command line). It keeps running without windows, and quitting it, or SIGTERM, SIGINT or SIGHUP,
// runs the same ordered shutdown.
class QuenlithApplication : public Gtk::Application {
public:
    static Glib::RefPtr<QuenlithApplication> create();
    ~QuenlithApplication() override;

    AppDelegate& delegate() { return delegate_; }

protected:
    QuenlithApplication();
    void on_startup() override;
    void on_activate() override;
    void on_open(const type_vec_files& files, const Glib::ustring& hint) override;
    // In the starting process: arguments that are no quenlith:// links are refused on standard
    // error before anything reaches the running instance.
    bool local_command_line_vfunc(char**& arguments, int& exit_status) override;

private:
    static int onTerminationSignal(void* self);
    void removeSignalSources();
    void shutdown();

    AppDelegate delegate_;
    std::vector<unsigned> signalSources_;
};

}  // namespace quenlith
