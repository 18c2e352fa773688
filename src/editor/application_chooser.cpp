#include "editor/application_chooser.hpp"

#include <giomm/appinfo.h>

#include "model/linked_application_choice.hpp"
#include "model/localization.hpp"

namespace quenlith {

std::vector<LinkedApplication> installedDesktopApplications() {
    std::vector<LinkedApplication> found;
    for (const auto& info : Gio::AppInfo::get_all()) {
        if (!info || !info->should_show()) continue;
        found.push_back({info->get_id(), info->get_display_name()});
    }
    return chooserApplications(found);
}

ApplicationChooser::ApplicationChooser(Gtk::Window& parent,
                                       const std::vector<LinkedApplication>& applications)
    : Gtk::Dialog(localizedString("Choose Application"), parent, true), applications_(applications) {
    set_default_size(420, 460);
    add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    add_button(localizedString("Add"), Gtk::RESPONSE_OK);
    set_default_response(Gtk::RESPONSE_OK);
    list_.set_selection_mode(Gtk::SELECTION_NONE);
    for (const auto& application : applications_) {
        auto check = std::make_unique<Gtk::CheckButton>(application.name);
        check->set_tooltip_text(application.id);
        list_.append(*check);
        checks_.push_back(std::move(check));
    }
    scroller_.add(list_);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    get_content_area()->pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    show_all_children();
}

void ApplicationChooser::setChosen(std::size_t index, bool chosen) {
    checks_.at(index)->set_active(chosen);
}

void ApplicationChooser::on_response(int response) {
    if (response == Gtk::RESPONSE_OK && onChosen_) {
        std::vector<LinkedApplication> chosen;
        for (std::size_t index = 0; index < checks_.size(); ++index)
            if (checks_[index]->get_active()) chosen.push_back(applications_[index]);
        onChosen_(std::move(chosen));
    }
    hide();
}

}  // namespace quenlith
