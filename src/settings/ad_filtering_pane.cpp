#include "settings/ad_filtering_pane.hpp"

#include <gtkmm/frame.h>
#include <gtkmm/image.h>
#include <gtkmm/separator.h>
#include <pangomm/attrlist.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "model/ad_filter_domain_editor.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "ui/form_rows.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

Gtk::Label* note(const std::string& text) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    label->set_xalign(0);
    label->set_line_wrap(true);
    styleSecondaryText(*label);
    return label;
}

// A section of the page: an optional title above a framed box of rows.
Gtk::Box* section(Gtk::Box& page, const std::string& title, int spacing) {
    auto* rows = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, spacing));
    rows->set_border_width(10);
    auto* frame = Gtk::manage(new Gtk::Frame());
    if (!title.empty()) frame->set_label(title);
    frame->add(*rows);
    page.pack_start(*frame, Gtk::PACK_SHRINK);
    return rows;
}

}  // namespace

AdFilteringPane::AdFilteringPane(PreferencesStore& preferences, AdBlocking& blocker,
                                 std::optional<std::string> currentHost, std::function<void()> onReload)
    : preferences_(preferences),
      blocker_(blocker),
      currentHost_(std::move(currentHost)),
      onReload_(std::move(onReload)),
      enabled_(localizedString("Block ads and trackers")),
      placeholders_(localizedString("Hide common ad placeholders")),
      retry_(localizedString("Try Again")),
      allowHost_(localizedString("Allow ads on this website")),
      exceptions_(
          "No website exceptions.", [this] { return settings().allowedSites; },
          [this](std::vector<std::string> list) { write([&](AdFilterSettings& s) { s.allowedSites = std::move(list); }); }),
      blocked_(
          "No additional blocked domains.", [this] { return settings().blockedDomains; },
          [this](std::vector<std::string> list) { write([&](AdFilterSettings& s) { s.blockedDomains = std::move(list); }); }),
      reload_(localizedString("Reload Current Page")),
      source_(AdBlocking::builtInListSourceURL, localizedString(AdBlocking::builtInListCredit)) {
    page_.set_border_width(16);

    Gtk::Box* general = section(page_, "", 16);
    general->pack_start(enabled_, Gtk::PACK_SHRINK);
    general->pack_start(placeholders_, Gtk::PACK_SHRINK);
    general->pack_start(*note(localizedString("Blocks known third-party advertising requests. Some video ads and "
                                              "ads served by the website itself may remain.")),
                        Gtk::PACK_SHRINK);
    preparingRow_.pack_start(spinner_, Gtk::PACK_SHRINK);
    preparingRow_.pack_start(*Gtk::manage(new Gtk::Label(localizedString("Preparing ad rules\u2026"))),
                             Gtk::PACK_SHRINK);
    general->pack_start(preparingRow_, Gtk::PACK_SHRINK);
    errorText_.set_xalign(0);
    errorText_.set_line_wrap(true);
    errorText_.override_color(Gdk::RGBA("#c01c28"));
    errorRow_.pack_start(errorText_, Gtk::PACK_EXPAND_WIDGET);
    errorRow_.pack_start(retry_, Gtk::PACK_SHRINK);
    general->pack_start(errorRow_, Gtk::PACK_SHRINK);
    enabled_.signal_toggled().connect([this] {
        if (!updating_) write([this](AdFilterSettings& s) { s.enabled = enabled_.get_active(); });
    });
    placeholders_.signal_toggled().connect([this] {
        if (!updating_) write([this](AdFilterSettings& s) { s.hidePlaceholders = placeholders_.get_active(); });
    });
    retry_.signal_clicked().connect([this] { retry(); });

    if (currentHost_) {
        Gtk::Box* current = section(page_, localizedString("Current website"), 12);
        host_.set_text(*currentHost_);
        host_.set_xalign(0);
        makeCopyable(host_);
        Pango::AttrList headline;
        auto weight = Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD);
        headline.insert(weight);
        host_.set_attributes(headline);
        current->pack_start(host_, Gtk::PACK_SHRINK);
        current->pack_start(allowHost_, Gtk::PACK_SHRINK);
        parentNote_.set_xalign(0);
        parentNote_.set_line_wrap(true);
        styleSecondaryText(parentNote_);
        current->pack_start(parentNote_, Gtk::PACK_SHRINK);
        allowHost_.signal_toggled().connect([this] {
            if (updating_) return;
            const bool allowed = allowHost_.get_active();
            write([&](AdFilterSettings& s) { s = settingsWithAdsAllowed(s, allowed, *currentHost_); });
        });
    }

    Gtk::Box* exceptions = section(page_, localizedString("Website exceptions"), 8);
    exceptions_.setTitle(localizedString("Website exceptions"));
    exceptions->pack_start(exceptions_, Gtk::PACK_SHRINK);
    exceptions->pack_start(*note(localizedString("Ads are allowed on these websites and their subdomains, across "
                                                 "all Quenlith sessions.")),
                           Gtk::PACK_SHRINK);
    Gtk::Box* blocked = section(page_, localizedString("Additional blocked domains"), 8);
    blocked_.setTitle(localizedString("Additional blocked domains"));
    blocked->pack_start(blocked_, Gtk::PACK_SHRINK);
    blocked->pack_start(*note(localizedString("Block third-party resources from these domains. Website exceptions "
                                              "take priority.")),
                        Gtk::PACK_SHRINK);

    Gtk::Box* refreshing = section(page_, "", 10);
    auto* refreshTitle = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    refreshTitle->pack_start(*Gtk::manage(new Gtk::Image(iconNameForSymbol("arrow.clockwise"), Gtk::ICON_SIZE_BUTTON)),
                             Gtk::PACK_SHRINK);
    refreshTitle->pack_start(*Gtk::manage(new Gtk::Label(localizedString("Refresh when you are ready"))),
                             Gtk::PACK_SHRINK);
    refreshing->pack_start(*refreshTitle, Gtk::PACK_SHRINK);
    refreshing->pack_start(*note(localizedString("Changes apply to new page loads in every window. Refresh an open "
                                                 "page to fully apply them; unsaved input may be lost.")),
                           Gtk::PACK_SHRINK);
    if (onReload_) {
        reload_.set_halign(Gtk::ALIGN_START);
        reload_.signal_clicked().connect([this] { onReload_(); });
        refreshing->pack_start(reload_, Gtk::PACK_SHRINK);
    }
    refreshing->pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    // The count and date of the list that ships, not of any list this page was written for.
    const auto domains = static_cast<std::int64_t>(AdBlocking::defaultDomains().size());
    footer_.set_text(localizedPlural("%ld built-in domain \u00b7 %@", "%ld built-in domains \u00b7 %@",
                                     domains, {domains, std::string(AdBlocking::builtInListDate)}));
    footer_.set_xalign(0);
    styleSecondaryText(footer_);
    refreshing->pack_start(footer_, Gtk::PACK_SHRINK);
    source_.set_halign(Gtk::ALIGN_START);
    styleLink(source_);
    refreshing->pack_start(source_, Gtk::PACK_SHRINK);
    refreshing->pack_start(*note(localizedString("Rules are bundled with Quenlith and updated with app releases. "
                                                 "Filtering runs on your computer.")),
                           Gtk::PACK_SHRINK);

    set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    add(page_);
    keepFocusInView(*this);
    show_all_children();
    for (Gtk::Widget* kept : std::initializer_list<Gtk::Widget*>{&preparingRow_, &errorRow_, &parentNote_})
        kept->set_no_show_all(true);

    preferencesChanged_ = preferences_.signal_changed().connect([this] { refresh(); });
    blockerChanged_ = blocker_.signal_changed().connect([this] { refresh(); });
    refresh();
}

AdFilteringPane::~AdFilteringPane() {
    preferencesChanged_.disconnect();
    blockerChanged_.disconnect();
}

AdFilterSettings AdFilteringPane::settings() const { return preferences_.value().adFilterSettings().normalized(); }

void AdFilteringPane::write(const std::function<void(AdFilterSettings&)>& change) {
    preferences_.update([&](AppPreferences& value) {
        AdFilterSettings changed = value.adFilterSettings().normalized();
        change(changed);
        value.adFilter = changed.normalized();
    });
    refresh();
}

void AdFilteringPane::retry() {
    ++retryCount_;
    prepareRules();
}

void AdFilteringPane::refresh() {
    updating_ = true;
    const AdFilterSettings shown = settings();
    enabled_.set_active(shown.enabled);
    placeholders_.set_active(shown.hidePlaceholders);
    placeholders_.set_sensitive(shown.enabled);
    preparingRow_.set_visible(blocker_.preparing());
    if (blocker_.preparing()) {
        preparingRow_.show_all_children();
        spinner_.start();
    } else {
        spinner_.stop();
    }
    errorText_.set_text(blocker_.errorMessage().value_or(""));
    errorRow_.set_visible(blocker_.errorMessage().has_value());
    if (blocker_.errorMessage()) errorRow_.show_all_children();
    if (currentHost_) {
        const AdSiteException exception = adSiteException(shown, *currentHost_);
        allowHost_.set_active(exception.allowed);
        allowHost_.set_sensitive(exception.toggleEnabled);
        parentNote_.set_visible(exception.parentEntry.has_value());
        if (exception.parentEntry)
            parentNote_.set_text(localizedFormat(
                "Allowed by %@. Turning this off also removes that parent-domain exception.", {*exception.parentEntry}));
    }
    reload_.set_sensitive(!blocker_.preparing());
    exceptions_.refresh();
    blocked_.refresh();
    updating_ = false;
    prepareRules();
}

void AdFilteringPane::prepareRules() {
    // Prepared again exactly when the settings on screen or the retry counter change.
    const AdFilterSettings shown = settings();
    const std::string identifier =
        std::to_string(std::hash<AdFilterSettings>{}(shown)) + "-" + std::to_string(retryCount_);
    if (identifier == preparedIdentifier_) return;
    preparedIdentifier_ = identifier;
    ++preparations_;
    // A manager of its own, which the blocker keeps alive until the rules are ready; errors show
    // through the blocker's own message.
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    blocker_.apply(shown, manager);
    g_object_unref(manager);
}

}  // namespace quenlith
