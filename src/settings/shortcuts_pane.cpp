#include "settings/shortcuts_pane.hpp"

#include "model/app_preferences.hpp"
#include "model/command_keys.hpp"
#include "model/guide_key_list.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "model/web_app_store.hpp"
#include "ui/form_rows.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/window_services.hpp"

namespace quenlith {

namespace {

std::optional<ShortcutConfiguration> AppPreferences::*fieldOf(const std::string& binding) {
    if (binding == "pin") return &AppPreferences::pinShortcut;
    if (binding == "compact") return &AppPreferences::compactShortcut;
    return &AppPreferences::launcherShortcut;
}

}  // namespace

ShortcutsPane::ShortcutsPane(SettingsContext& context) : context_(context) {
    auto errorLabel = [this](const std::string& binding, bool caption) {
        Gtk::Label* label = makeErrorLabel();
        if (caption) styleCaption(*label), label->get_style_context()->remove_class(kSecondaryTextClass);
        errors_[binding] = label;
        return label;
    };

    auto& launcher = addSection(localizedString("Open Launcher"));
    launcher_.setTitle(localizedString("Open Launcher"));
    launcher.pack_start(launcher_, Gtk::PACK_SHRINK);
    launcher.pack_start(*errorLabel("launcher", false), Gtk::PACK_SHRINK);

    auto& rescue = addSection(localizedString("Mouse control recovery"));
    auto* fixed = Gtk::manage(new Gtk::Label(HotKeyManager::kRescueShortcut.displayString()));
    fixed->set_xalign(1);
    rescue.pack_start(*makeLabeledRow(localizedString("Disable click-through for all windows"), *fixed),
                      Gtk::PACK_SHRINK);
    rescue.pack_start(*errorLabel(HotKeyManager::kRescueName, false), Gtk::PACK_SHRINK);
    restore_ = Gtk::manage(new Gtk::Button(localizedString("Restore Mouse Control Now")));
    restore_->set_halign(Gtk::ALIGN_START);
    restore_->signal_clicked().connect([this] { context_.windows.services().restoreMouseControl(); });
    rescue.pack_start(*restore_, Gtk::PACK_SHRINK);

    auto& active = addSection(localizedString("Active browser window"));
    for (auto [title, picker] : {std::pair{"Toggle always on top", &pin_}, std::pair{"Toggle compact mode", &compact_}}) {
        auto* heading = Gtk::manage(new Gtk::Label(localizedString(title)));
        heading->set_xalign(0);
        styleHeadline(*heading);
        active.pack_start(*heading, Gtk::PACK_SHRINK);
        picker->setTitle(localizedString(title));
        active.pack_start(*picker, Gtk::PACK_SHRINK);
    }
    validation_ = makeErrorLabel();
    active.pack_start(*validation_, Gtk::PACK_SHRINK);
    active.pack_start(*errorLabel("pin", true), Gtk::PACK_SHRINK);
    active.pack_start(*errorLabel("compact", true), Gtk::PACK_SHRINK);

    auto& websites = addSection(localizedString("Websites"));
    websites_ = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
    websites.pack_start(*websites_, Gtk::PACK_SHRINK);
    // The keys the menus show are filled in by their English names, as the list writes its others.
    const std::string back = commandKeyName("back"), forward = commandKeyName("forward"),
                      previous = commandKeyName("previousTab"), next = commandKeyName("nextTab");
    websites.pack_start(*makeCaption(localizedFormat(
                            "Ctrl+L Address · Ctrl+T New tab · Ctrl+W Close tab · Ctrl+R Reload\n%1$@ / "
                            "%2$@ Back / Forward · Ctrl++ / Ctrl+− Zoom · Ctrl+0 Actual Size\n%3$@ / "
                            "%4$@ Switch tabs · Ctrl+Alt+C Compact mode",
                            {back, forward, previous, next})),
                        Gtk::PACK_SHRINK);

    for (auto [binding, picker] : {std::pair{"launcher", &launcher_}, std::pair{"pin", &pin_},
                                   std::pair{"compact", &compact_}}) {
        picker->setOnChange(
            [this, binding = std::string(binding)](const std::optional<ShortcutConfiguration>& value) {
                if (!updating_) write(binding, value);
            });
        picker->setHeldElsewhere([this, binding = std::string(binding)] {
            return shortcutsHeldElsewhere(context_.store.profiles(), context_.preferences.value(), binding);
        });
    }
    context_.preferences.signal_changed().connect(sigc::mem_fun(*this, &ShortcutsPane::refresh));
    context_.hotKeys.signal_errors_changed().connect(sigc::mem_fun(*this, &ShortcutsPane::refresh));
    context_.store.signal_changed().connect(sigc::mem_fun(*this, &ShortcutsPane::rebuildWebsites));
    rebuildWebsites();
}

ShortcutPicker& ShortcutsPane::picker(const std::string& binding) {
    if (binding == "pin") return pin_;
    if (binding == "compact") return compact_;
    return launcher_;
}

void ShortcutsPane::write(const std::string& binding, const std::optional<ShortcutConfiguration>& shortcut) {
    // Stored whether or not it passes: the message tells the user, and a shortcut the desktop
    // refuses comes back under its row after the next registration.
    auto message = context_.hotKeys.validate(shortcut, binding);
    showMessage(*validation_, message);
    auto field = fieldOf(binding);
    context_.write([&](AppPreferences& p) { p.*field = shortcut; });
}

void ShortcutsPane::refresh() {
    const AppPreferences& value = context_.preferences.value();
    updating_ = true;
    launcher_.setValue(value.launcherShortcut);
    pin_.setValue(value.pinShortcut);
    compact_.setValue(value.compactShortcut);
    updating_ = false;
    const auto& errors = context_.hotKeys.errors();
    for (auto& [binding, label] : errors_) {
        auto found = errors.find(binding);
        // The registration's own message; what the check of a change said has its own line.
        std::optional<std::string> message;
        if (found != errors.end()) message = found->second;
        // The section's own validation line already says it.
        if ((binding == "pin" || binding == "compact") && message && validation_->get_visible() &&
            *message == std::string(validation_->get_text()))
            message.reset();
        showMessage(*label, message);
    }
}

void ShortcutsPane::rebuildWebsites() {
    for (Gtk::Widget* child : websites_->get_children()) {
        websites_->remove(*child);
        delete child;
    }
    websiteShortcuts_.clear();
    std::erase_if(errors_, [](const auto& entry) { return Uuid::parse(entry.first).has_value(); });
    for (const auto& website : context_.store.profiles()) {
        auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
        auto* name = Gtk::manage(new Gtk::Label());
        showText(*name, shownName(website.name));
        name->set_xalign(0);
        ellipsizeWithinWidth(*name);
        auto* shortcut = Gtk::manage(new Gtk::Label(website.globalShortcut ? website.globalShortcut->displayString()
                                                                           : localizedString("Not set")));
        styleSecondaryText(*shortcut);
        auto* edit = Gtk::manage(new Gtk::Button(localizedString("Edit")));
        // It opens the website's editor for its shortcut; the Websites tab has an "Edit" of its own.
        nameInRow(*edit, localizedString("Edit Shortcut"), website.name);
        edit->signal_clicked().connect([this, id = website.id] {
            if (context_.services.onEdit) context_.services.onEdit(id);
        });
        row->pack_start(*name, Gtk::PACK_EXPAND_WIDGET);
        row->pack_start(*shortcut, Gtk::PACK_SHRINK);
        row->pack_start(*edit, Gtk::PACK_SHRINK);
        websites_->pack_start(*row, Gtk::PACK_SHRINK);
        Gtk::Label* error = makeErrorLabel();
        styleCaption(*error);
        error->get_style_context()->remove_class(kSecondaryTextClass);
        errors_[website.id.string()] = error;
        websites_->pack_start(*error, Gtk::PACK_SHRINK);
        websiteShortcuts_.push_back(shortcut);
    }
    websites_->show_all();
    refresh();
}

std::string ShortcutsPane::errorText(const std::string& binding) const {
    auto found = errors_.find(binding);
    return found != errors_.end() && found->second->get_visible() ? std::string(found->second->get_text()) : std::string();
}

std::vector<std::string> ShortcutsPane::websiteShortcutTexts() const {
    std::vector<std::string> texts;
    for (const auto* label : websiteShortcuts_) texts.push_back(label->get_text());
    return texts;
}

}  // namespace quenlith
