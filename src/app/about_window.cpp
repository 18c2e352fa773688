#include "app/about_window.hpp"

#include <gtkmm/aboutdialog.h>

#include "model/localization.hpp"

namespace quenlith {

std::optional<std::string> buildVersion() {
#ifdef QUENLITH_VERSION
    if (std::string version = QUENLITH_VERSION; !version.empty()) return version;
#endif
    return std::nullopt;
}

std::unique_ptr<Gtk::AboutDialog> makeAboutWindow(const std::optional<std::string>& version) {
    auto about = std::make_unique<Gtk::AboutDialog>();
    // The product name is the same in every language.
    about->set_program_name("Quenlith");
    about->set_version(version.value_or(kFallbackVersion));
    about->set_logo_icon_name("com.quenlith.Quenlith");
    // The three lines are one text, looked up whole.
    about->set_comments(
        localizedString("Floating websites for the Linux desktop.\n"
                        "GTK \u00B7 WebKitGTK \u00B7 GLib \u00B7 libsoup\n"
                        "No analytics. No cloud service."));
    about->add_credit_section(localizedString("Ad and tracker lists"),
                              {"EasyList (https://easylist.to/)", "EasyPrivacy (https://easylist.to/)"});
    about->set_title(localizedString("About Quenlith"));
    about->signal_response().connect([dialog = about.get()](int) { dialog->hide(); });
    return about;
}

}  // namespace quenlith
