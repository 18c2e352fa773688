#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/label.h>
#include <gtkmm/linkbutton.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/spinner.h>
#include <sigc++/connection.h>

#include "model/ad_filter_settings.hpp"
#include "settings/ad_filter_domain_list.hpp"

namespace quenlith {

class AdBlocking;
class PreferencesStore;

// The ad-filtering settings: blocking and placeholder hiding, the current website's exception,
// the website exceptions and additional blocked domains, the shared blocker's preparation state
// with its retry, and the built-in list's credit. Every change is stored in the preferences at
// once (no draft). The page asks the blocker to prepare the rules of the settings on screen, so
// that a compilation and its failure show here.
//
// The settings window shows it without a current host or reload action; a browser window's
// "Ad Filtering" sheet gives the page's host and an action that closes the sheet and reloads.
class AdFilteringPane : public Gtk::ScrolledWindow {
public:
    AdFilteringPane(PreferencesStore& preferences, AdBlocking& blocker,
                    std::optional<std::string> currentHost = std::nullopt, std::function<void()> onReload = {});
    ~AdFilteringPane() override;

    // "Try Again": prepares the same settings once more.
    void retry();
    // Shows the preferences and the blocker's state again.
    void refresh();

    Gtk::CheckButton& blockToggle() { return enabled_; }
    Gtk::CheckButton& placeholderToggle() { return placeholders_; }
    Gtk::CheckButton& allowCurrentHostToggle() { return allowHost_; }
    const Gtk::Label& parentNote() const { return parentNote_; }
    AdFilterDomainList& exceptionsList() { return exceptions_; }
    AdFilterDomainList& blockedList() { return blocked_; }
    const Gtk::Widget& preparingRow() const { return preparingRow_; }
    const Gtk::Widget& errorRow() const { return errorRow_; }
    Gtk::Button& retryButton() { return retry_; }
    Gtk::Button& reloadButton() { return reload_; }
    std::string footerText() const { return footer_.get_text(); }
    int preparationCount() const { return preparations_; }

private:
    AdFilterSettings settings() const;
    void write(const std::function<void(AdFilterSettings&)>& change);
    void prepareRules();

    PreferencesStore& preferences_;
    AdBlocking& blocker_;
    const std::optional<std::string> currentHost_;
    const std::function<void()> onReload_;
    int retryCount_ = 0;
    int preparations_ = 0;
    std::string preparedIdentifier_;
    bool updating_ = false;
    sigc::connection preferencesChanged_;
    sigc::connection blockerChanged_;

    Gtk::Box page_{Gtk::ORIENTATION_VERTICAL, 18};
    Gtk::CheckButton enabled_;
    Gtk::CheckButton placeholders_;
    Gtk::Box preparingRow_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Spinner spinner_;
    Gtk::Box errorRow_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Label errorText_;
    Gtk::Button retry_;
    Gtk::Label host_;
    Gtk::CheckButton allowHost_;
    Gtk::Label parentNote_;
    AdFilterDomainList exceptions_;
    AdFilterDomainList blocked_;
    Gtk::Button reload_;
    Gtk::Label footer_;
    Gtk::LinkButton source_;
};

}  // namespace quenlith
