#pragma once

#include <gtkmm/button.h>
#include <gtkmm/spinner.h>

#include "settings/settings_context.hpp"
#include "settings/settings_form.hpp"

namespace quenlith {

// The Privacy tab: where browsing data lives, and clearing cookies, caches or everything. A
// button only asks; the window confirms and clears, and the section is disabled meanwhile.
class PrivacyPane : public SettingsForm {
public:
    explicit PrivacyPane(SettingsContext& context);

    void setClearing(bool clearing);

    Gtk::Button& clearCookiesButton() { return *cookies_; }
    Gtk::Button& clearCacheButton() { return *cache_; }
    Gtk::Button& clearAllButton() { return *all_; }

private:
    Gtk::Box* sessions_ = nullptr;
    Gtk::Button* cookies_ = nullptr;
    Gtk::Button* cache_ = nullptr;
    Gtk::Button* all_ = nullptr;
    Gtk::Box* progress_ = nullptr;
    Gtk::Spinner* spinner_ = nullptr;
};

}  // namespace quenlith
