#include "editor/application_link_settings.hpp"

#include <glibmm/main.h>
#include <gtkmm/label.h>

#include "ui/form_rows.hpp"
#include "model/linked_application_choice.hpp"
#include "model/localization.hpp"
#include "ui/action_button.hpp"

namespace quenlith {

ApplicationLinkSettings::ApplicationLinkSettings(std::function<WebAppProfile&()> draft,
                                                 std::function<std::vector<LinkedApplication>()> installed)
    : Gtk::Expander(localizedString("Follow Applications")),
      draft_(std::move(draft)),
      installed_(std::move(installed)),
      enabled_(localizedString("Show this website with selected apps")),
      choose_(localizedString("Choose Application…")) {
    enabled_.signal_toggled().connect([this] {
        if (updating_) return;
        draft_().applicationLinkEnabled = enabled_.get_active();
        written();
    });
    choose_.set_halign(Gtk::ALIGN_START);
    choose_.signal_clicked().connect([this] { chooseApplications(); });
    content_.pack_start(enabled_, Gtk::PACK_SHRINK);
    content_.pack_start(rows_, Gtk::PACK_SHRINK);
    content_.pack_start(choose_, Gtk::PACK_SHRINK);
    content_.pack_start(*makeCaption(localizedString("Enable application links in General settings. Quenlith "
                                                     "only observes which app is active, never its "
                                                     "screen or content. Linked windows appear without "
                                                     "taking keyboard focus and hide when you switch away; "
                                                     "manually opened windows stay open.")),
                        Gtk::PACK_SHRINK);
    content_.set_margin_start(12);
    add(content_);
    refresh();
}

void ApplicationLinkSettings::chooseApplications() {
    auto* window = dynamic_cast<Gtk::Window*>(get_toplevel());
    if (!window || !window->get_visible()) return;
    chooser_ = std::make_unique<ApplicationChooser>(
        *window, installed_ ? installed_() : std::vector<LinkedApplication>{});
    chooser_->setOnChosen([this](std::vector<LinkedApplication> chosen) {
        draft_().linkedApplications = addLinkedApplications(draft_().linkedApplications, chosen);
        written();
    });
    chooser_->present();
}

void ApplicationLinkSettings::written() {
    refresh();
    if (changed_) changed_();
}

void ApplicationLinkSettings::refresh() {
    updating_ = true;
    const WebAppProfile& profile = draft_();
    enabled_.set_active(profile.applicationLinkEnabled.value_or(false));
    for (Gtk::Widget* row : rows_.get_children()) {
        rows_.remove(*row);
        delete row;
    }
    for (const auto& application : profile.linkedApplications.value_or(std::vector<LinkedApplication>{})) {
        auto* row = new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6);
        auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 0));
        auto* name = Gtk::manage(new Gtk::Label(application.name));
        name->set_xalign(0);
        texts->pack_start(*name, Gtk::PACK_SHRINK);
        texts->pack_start(*makeCaption(application.id), Gtk::PACK_SHRINK);
        row->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);
        std::string id = application.id;
        auto* remove = Gtk::manage(new ActionButton("minus.circle", localizedString("Remove"), [this, id] {
            draft_().linkedApplications = removeLinkedApplication(draft_().linkedApplications, id);
            // The row that asked is removed by the refresh: do it after its click returns (the
            // slot is dropped with this section).
            Glib::signal_idle().connect_once(sigc::mem_fun(*this, &ApplicationLinkSettings::written));
        }));
        row->pack_end(*remove, Gtk::PACK_SHRINK);
        rows_.pack_start(*row, Gtk::PACK_SHRINK);
        row->show_all();
    }
    updating_ = false;
}

}  // namespace quenlith
