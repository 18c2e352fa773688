#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/expander.h>

#include "editor/application_chooser.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// "Follow Applications": the website's own application-link switch and its linked applications,
// which the user adds from the installed applications and removes one by one. Writes into the
// owner's draft at once.
class ApplicationLinkSettings : public Gtk::Expander {
public:
    explicit ApplicationLinkSettings(
        std::function<WebAppProfile&()> draft,
        std::function<std::vector<LinkedApplication>()> installed = installedDesktopApplications);

    // Runs after each write. The owner sets it once it is built: nothing is reported before.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    void refresh();
    // Opens the chooser over the window this section is in; nothing without one.
    void chooseApplications();
    ApplicationChooser* chooser() { return chooser_.get(); }
    Gtk::CheckButton& linkToggle() { return enabled_; }

private:
    void written();

    std::function<WebAppProfile&()> draft_;
    std::function<void()> changed_;
    std::function<std::vector<LinkedApplication>()> installed_;
    bool updating_ = false;
    Gtk::Box content_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::CheckButton enabled_;
    Gtk::Box rows_{Gtk::ORIENTATION_VERTICAL, 4};
    Gtk::Button choose_;
    std::unique_ptr<ApplicationChooser> chooser_;
};

}  // namespace quenlith
