#include "settings/privacy_pane.hpp"

#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

PrivacyPane::PrivacyPane(SettingsContext& context) {
    auto& local = addSection(localizedString("Your browsing stays on your computer"));
    auto* intro = Gtk::manage(new Gtk::Label(localizedString(
        "Quenlith has no analytics, proxy, account or cloud service. Cookies and website storage are managed "
        "locally by WebKit. Websites receive normal browser requests when you visit them.")));
    intro->set_xalign(0);
    intro->set_line_wrap(true);
    local.pack_start(*intro, Gtk::PACK_SHRINK);
    local.pack_start(
        *makeCaption(localizedString(
            "Optional browsing history is managed in Saved Pages & Groups. Private windows are excluded. "
            "Remember Last Page only affects saved websites.")),
        Gtk::PACK_SHRINK);

    sessions_ = &addSection(localizedString("Website sessions"));
    sessions_->pack_start(*makeCaption(localizedString(
                              "Regular windows share a session unless an independent account or website proxy is "
                              "configured. Private windows use temporary sessions.")),
                          Gtk::PACK_SHRINK);
    sessions_->pack_start(*makeCaption(localizedString(
                              "These actions clear the shared session and all independent accounts, including "
                              "accounts whose website entry was removed.")),
                          Gtk::PACK_SHRINK);
    auto button = [&](const char* text, PrivacyAction action) {
        auto* made = Gtk::manage(new Gtk::Button(localizedString(text)));
        made->set_halign(Gtk::ALIGN_START);
        made->signal_clicked().connect([&context, action] { context.requestClear(action); });
        sessions_->pack_start(*made, Gtk::PACK_SHRINK);
        return made;
    };
    cookies_ = button("Clear Cookies…", PrivacyAction::cookies);
    cache_ = button("Clear Cache…", PrivacyAction::cache);
    all_ = button("Clear All Browsing & Website Data…", PrivacyAction::all);
    progress_ = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    spinner_ = Gtk::manage(new Gtk::Spinner());
    progress_->pack_start(*spinner_, Gtk::PACK_SHRINK);
    progress_->pack_start(*Gtk::manage(new Gtk::Label(localizedString("Clearing website data…"))), Gtk::PACK_SHRINK);
    progress_->set_no_show_all(true);
    sessions_->pack_start(*progress_, Gtk::PACK_SHRINK);

    auto& signIn = addSection(localizedString("Sign-in compatibility"));
    signIn.pack_start(*makeCaption(localizedString(
                          "Some providers, including Google, restrict embedded browser authentication. You can open "
                          "sign-in pages in your default browser, but that browser’s cookies do not automatically "
                          "transfer to Quenlith.")),
                      Gtk::PACK_SHRINK);
}

void PrivacyPane::setClearing(bool clearing) {
    for (Gtk::Button* control : {cookies_, cache_, all_}) control->set_sensitive(!clearing);
    showWhen(*progress_, clearing);
    if (clearing)
        spinner_->start();
    else
        spinner_->stop();
}

}  // namespace quenlith
