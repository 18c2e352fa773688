#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <gtkmm/checkbutton.h>
#include <gtkmm/dialog.h>
#include <gtkmm/listbox.h>
#include <gtkmm/scrolledwindow.h>

#include "model/linked_application.hpp"

namespace quenlith {

// The desktop applications installed for this user (the desktop entries of the XDG data folders
// that are meant to be shown), as id and name.
std::vector<LinkedApplication> installedDesktopApplications();

// Lets the user tick any number of installed applications; "Add" hands the ticked ones, in list
// order, to `onChosen`. Cancelling hands nothing.
class ApplicationChooser : public Gtk::Dialog {
public:
    ApplicationChooser(Gtk::Window& parent, const std::vector<LinkedApplication>& applications);

    void setOnChosen(std::function<void(std::vector<LinkedApplication>)> onChosen) {
        onChosen_ = std::move(onChosen);
    }

    const std::vector<LinkedApplication>& applications() const { return applications_; }
    void setChosen(std::size_t index, bool chosen);

protected:
    void on_response(int response) override;

private:
    std::function<void(std::vector<LinkedApplication>)> onChosen_;
    std::vector<LinkedApplication> applications_;
    std::vector<std::unique_ptr<Gtk::CheckButton>> checks_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
};

}  // namespace quenlith
