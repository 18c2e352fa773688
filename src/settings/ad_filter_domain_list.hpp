#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "model/ad_filter_domain_editor.hpp"

namespace quenlith {

// One domain list of the ad-filter settings on screen: a field with "Add", the refusal, the limit
// hint, and the entries in list order, each with its remove button. The list is read and written
// through the owner (the preferences); the editor keeps only the typed text and the refusal.
class AdFilterDomainList : public Gtk::Box {
public:
    AdFilterDomainList(std::string emptyText, std::function<std::vector<std::string>()> read,
                       std::function<void(std::vector<std::string>)> write);
    ~AdFilterDomainList() override;

    // Names the field and the buttons by the list they change ("Add, Website exceptions"): the
    // page shows two lists of the same controls.
    void setTitle(const std::string& title);
    // Runs the field's text through the rules (also what Return in the field does).
    void add();
    void remove(const std::string& entry);
    // Shows the list again after it changed elsewhere.
    void refresh();

    Gtk::Entry& field() { return field_; }
    Gtk::Button& addButton() { return add_; }
    const AdFilterDomainEditor& editor() const { return editor_; }
    // The texts shown now: the refusal, the hint, the empty text or the entries.
    std::string errorText() const { return error_.get_visible() ? std::string(error_.get_text()) : ""; }
    std::vector<std::string> shownEntries() const;

private:
    const std::string emptyText_;
    std::string title_;
    std::function<std::vector<std::string>()> read_;
    std::function<void(std::vector<std::string>)> write_;
    AdFilterDomainEditor editor_;
    bool updating_ = false;
    Gtk::Box inputRow_{Gtk::ORIENTATION_HORIZONTAL, 10};
    Gtk::Entry field_;
    Gtk::Button add_;
    Gtk::Label error_;
    Gtk::Label hint_;
    Gtk::Label empty_;
    Gtk::Box rows_{Gtk::ORIENTATION_VERTICAL, 4};
    std::vector<std::unique_ptr<Gtk::Box>> rowWidgets_;
    // Rows taken off screen wait for an idle turn: one of them may be running its remove button.
    std::vector<std::unique_ptr<Gtk::Box>> retired_;
    sigc::connection retireTask_;
};

}  // namespace quenlith
