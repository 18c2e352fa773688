#include "settings/general_pane.hpp"

#include <algorithm>
#include <array>

#include "model/app_preferences.hpp"
#include "model/interface_language.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/form_rows.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"

namespace quenlith {

namespace {

constexpr std::array<std::int64_t, 5> kSleepMinutes = {0, 5, 10, 30, 60};

// The offered sleep times, and a stored one that is not among them in its place, so the picker
// shows what is stored.
std::vector<std::int64_t> sleepChoices(std::int64_t stored) {
    std::vector<std::int64_t> choices(kSleepMinutes.begin(), kSleepMinutes.end());
    if (std::find(choices.begin(), choices.end(), stored) == choices.end())
        choices.insert(std::upper_bound(choices.begin(), choices.end(), stored), stored);
    return choices;
}

std::string sleepTitle(std::int64_t minutes) {
    if (minutes == 0) return localizedString("Off");
    return localizedPlural("%ld minute", "%ld minutes", minutes);
}

template <typename Cases>
std::vector<std::string> titles(const Cases& cases) {
    std::vector<std::string> rows;
    for (auto value : cases) rows.push_back(localizedString(std::string(rawValue(value))));
    return rows;
}

template <typename Cases, typename Value>
int rowOf(const Cases& cases, Value value) {
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (cases[i] == value) return static_cast<int>(i);
    return -1;
}

Gtk::Label* makeNote(const std::string& text) {
    auto* note = makeCaption(text);
    note->set_max_width_chars(80);
    return note;
}

}  // namespace

GeneralPane::GeneralPane(SettingsContext& context)
    : context_(context), opacity_(localizedString("Default Window Opacity")) {
    auto& first = addSection();
    first.pack_start(opacity_, Gtk::PACK_SHRINK);
    first.pack_start(*makeNote(localizedString(
                         "Applies to new browser windows and newly saved websites. Existing windows keep their own "
                         "opacity.")),
                     Gtk::PACK_SHRINK);
    opacity_.setOnChange([this](double value) {
        if (!updating_) context_.write([value](AppPreferences& p) { p.defaultOpacity = value; });
    });

    auto& language = addSection(localizedString("Language"));
    std::vector<std::string> languages;
    for (auto choice : kAllInterfaceLanguages) languages.push_back(displayName(choice));
    language_ = makePicker(languages);
    language.pack_start(*makeLabeledRow(localizedString("Interface language"), *language_), Gtk::PACK_SHRINK);
    languageNote_ = makeNote(localizedString("Language changes take effect after restarting Quenlith."));
    language.pack_start(*languageNote_, Gtk::PACK_SHRINK);
    language_->signal_changed().connect([this] {
        int row = language_->get_active_row_number();
        if (updating_ || row < 0) return;
        context_.preferences.setLanguage(kAllInterfaceLanguages[static_cast<std::size_t>(row)]);
        // How the write went shows through the preferences' saved signal, as for every change.
        context_.preferences.saveLanguage();
    });

    auto& session = addSection(localizedString("Login Session"));
    isolate_ = makeSwitch(localizedString("Isolate new windows by default"));
    session.pack_start(*isolate_, Gtk::PACK_SHRINK);
    session.pack_start(*makeNote(localizedString(
                           "New and duplicated windows get separate cookies and logins. Turn this off to share "
                           "logins. Existing saved websites keep their current session.")),
                       Gtk::PACK_SHRINK);
    isolate_->signal_toggled().connect([this] {
        bool on = isolate_->get_active();
        if (!updating_) context_.write([on](AppPreferences& p) { p.isolateNewWindows = on; });
    });

    auto& startup = addSection(localizedString("Startup"));
    login_ = makeSwitch(localizedString("Launch Quenlith at login"));
    startup.pack_start(*login_, Gtk::PACK_SHRINK);
    login_->signal_toggled().connect([this] {
        if (!updating_) setLoginItem(login_->get_active());
    });
    dock_ = makeSwitch(localizedString("Show Website Windows in the Taskbar"));
    startup.pack_start(*dock_, Gtk::PACK_SHRINK);
    startup.pack_start(*makeNote(localizedString(
                           "On Linux this lists the floating browser windows in the taskbar and window switcher; "
                           "off, they stay out of both.")),
                       Gtk::PACK_SHRINK);
    dock_->signal_toggled().connect([this] {
        bool on = dock_->get_active();
        if (!updating_) context_.write([on](AppPreferences& p) { p.showDockIcon = on; });
    });
    restore_ = makeSwitch(localizedString("Restore windows and all tabs after restart"));
    startup.pack_start(*restore_, Gtk::PACK_SHRINK);
    startup.pack_start(*makeNote(localizedString(
                           "Restores regular tabs, selected pages, window positions and hidden windows after "
                           "quitting or a crash. Private and sign-in pages and unsent form input are excluded. "
                           "Background pages load when selected.")),
                       Gtk::PACK_SHRINK);
    restore_->signal_toggled().connect([this] {
        bool on = restore_->get_active();
        if (!updating_) context_.write([on](AppPreferences& p) { p.restoreWindows = on; });
    });
    continuityError_ = makeErrorLabel();
    startup.pack_start(*continuityError_, Gtk::PACK_SHRINK);
    resetSession_ = Gtk::manage(new Gtk::Button(localizedString("Reset Session Recovery")));
    resetSession_->set_halign(Gtk::ALIGN_START);
    resetSession_->set_no_show_all(true);
    resetSession_->signal_clicked().connect([this] { context_.windows.session().removeSavedSession(); });
    startup.pack_start(*resetSession_, Gtk::PACK_SHRINK);

    auto& background = addSection(localizedString("Background & Automation"));
    sleep_ = makePicker({});
    background.pack_start(*makeLabeledRow(localizedString("Sleep inactive tabs after"), *sleep_), Gtk::PACK_SHRINK);
    background.pack_start(*makeNote(localizedString(
                              "Sleeping unloads the page and reloads it on wake. Input, media, embedded frames and "
                              "downloads prevent sleep. Exempt important websites with Keep this website awake.")),
                          Gtk::PACK_SHRINK);
    sleep_->signal_changed().connect([this] {
        int row = sleep_->get_active_row_number();
        if (updating_ || row < 0) return;
        std::int64_t minutes = sleepChoices_[static_cast<std::size_t>(row)];
        context_.write([minutes](AppPreferences& p) { p.backgroundSleepMinutes = minutes; });
    });
    applicationLinks_ = makeSwitch(localizedString("Enable application links"));
    background.pack_start(*applicationLinks_, Gtk::PACK_SHRINK);
    background.pack_start(*makeNote(localizedString(
                              "Choose matching apps in each website’s Follow Applications settings. This is off by "
                              "default.")),
                          Gtk::PACK_SHRINK);
    applicationLinks_->signal_toggled().connect([this] {
        bool on = applicationLinks_->get_active();
        if (!updating_) context_.write([on](AppPreferences& p) { p.applicationLinksEnabled = on; });
    });

    auto& browsing = addSection(localizedString("Browsing"));
    searchEngine_ = makePicker(titles(kAllSearchEngines));
    linkBehavior_ = makePicker(titles(kAllLinkBehaviors));
    closeBehavior_ = makePicker(titles(kAllCloseBehaviors));
    browsing.pack_start(*makeLabeledRow(localizedString("Search engine"), *searchEngine_), Gtk::PACK_SHRINK);
    browsing.pack_start(*makeLabeledRow(localizedString("New links"), *linkBehavior_), Gtk::PACK_SHRINK);
    browsing.pack_start(*makeLabeledRow(localizedString("Window close button"), *closeBehavior_), Gtk::PACK_SHRINK);
    browsing.pack_start(*makeNote(localizedString(
                            "Hide Window keeps tabs for quick reopening. Close Window releases them. Configure "
                            "independent accounts in each website’s settings.")),
                        Gtk::PACK_SHRINK);
    auto choose = [this](Gtk::ComboBoxText* picker, auto cases, auto assign) {
        picker->signal_changed().connect([this, picker, cases, assign] {
            int row = picker->get_active_row_number();
            if (updating_ || row < 0) return;
            auto value = cases[static_cast<std::size_t>(row)];
            context_.write([&](AppPreferences& p) { assign(p, value); });
        });
    };
    choose(searchEngine_, kAllSearchEngines, [](AppPreferences& p, SearchEngine v) { p.searchEngine = v; });
    choose(linkBehavior_, kAllLinkBehaviors, [](AppPreferences& p, LinkBehavior v) { p.linkBehavior = v; });
    choose(closeBehavior_, kAllCloseBehaviors, [](AppPreferences& p, CloseBehavior v) { p.closeBehavior = v; });

    context_.preferences.signal_changed().connect(sigc::mem_fun(*this, &GeneralPane::refresh));
    context_.windows.publisher().signal_changed().connect(sigc::mem_fun(*this, &GeneralPane::refresh));
    refresh();
    refreshLoginItem();
}

void GeneralPane::refresh() {
    const AppPreferences& value = context_.preferences.value();
    updating_ = true;
    opacity_.setValue(value.defaultOpacity);
    language_->set_active(rowOf(kAllInterfaceLanguages, context_.preferences.language()));
    isolate_->set_active(value.readsIsolateNewWindows());
    dock_->set_active(value.showDockIcon);
    restore_->set_active(value.restoreWindows);
    const std::int64_t sleepMinutes = value.readsBackgroundSleepMinutes();
    if (auto choices = sleepChoices(sleepMinutes); choices != sleepChoices_) {
        sleepChoices_ = std::move(choices);
        sleep_->remove_all();
        for (std::int64_t minutes : sleepChoices_) sleep_->append(sleepTitle(minutes));
    }
    sleep_->set_active(rowOf(sleepChoices_, sleepMinutes));
    applicationLinks_->set_active(value.readsApplicationLinksEnabled());
    searchEngine_->set_active(rowOf(kAllSearchEngines, value.searchEngine));
    linkBehavior_->set_active(rowOf(kAllLinkBehaviors, value.linkBehavior));
    closeBehavior_->set_active(rowOf(kAllCloseBehaviors, value.closeBehavior));
    updating_ = false;
    const auto& continuity = context_.windows.publisher().continuityError();
    showMessage(*continuityError_, continuity);
    resetSession_->set_visible(continuity.has_value());
}

void GeneralPane::refreshLoginItem() {
    updating_ = true;
    login_->set_active(context_.loginItem.enabled());
    updating_ = false;
}

void GeneralPane::setLoginItem(bool on) {
    Status changed = context_.loginItem.setEnabled(on);
    // The toggle shows what is on disk now, whatever was asked.
    refreshLoginItem();
    context_.showStatus(changed ? std::nullopt : std::optional<std::string>(changed.error().message),
                        !changed);
}

}  // namespace quenlith
