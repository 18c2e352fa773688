#include "editor/website_session_settings.hpp"

#include <gtkmm/frame.h>

#include "ui/form_rows.hpp"
#include "model/form_numbers.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {

// A toggle whose label is a title above its explanation.
void labelToggle(Gtk::CheckButton& toggle, const std::string& title, const std::string& caption) {
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
    auto* heading = Gtk::manage(new Gtk::Label(title));
    heading->set_xalign(0);
    styleHeadline(*heading);
    box->pack_start(*heading, Gtk::PACK_SHRINK);
    box->pack_start(*makeCaption(caption), Gtk::PACK_SHRINK);
    toggle.add(*box);
}

}  // namespace

WebsiteSessionSettings::WebsiteSessionSettings(std::function<WebAppProfile&()> draft, bool isNew)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12),
      draft_(std::move(draft)),
      shared_(localizedString("Shared windows use the same cookies and login accounts.")),
      authentication_(localizedString("Proxy requires authentication")),
      macNetwork_(localizedString(
          "Uses the system network without Quenlith’s global proxy. A system proxy or VPN still applies.")) {
    labelToggle(session_, localizedString("Independent Session"),
                localizedString("Keep cookies and logins separate from other windows."));
    account_.set_placeholder_text(localizedString("Account label (optional)"));
    nameControl(account_, localizedString("Account label (optional)"));
    styleCaption(shared_);
    sessionBox_.pack_start(session_, Gtk::PACK_SHRINK);
    sessionBox_.pack_start(account_, Gtk::PACK_SHRINK);
    sessionBox_.pack_start(shared_, Gtk::PACK_SHRINK);

    labelToggle(
        override_, localizedString("Override the global proxy"),
        localizedString("Off uses the global proxy. A website proxy requires an independent session."));
    // The row names the computer's own network, which the system proxy or a VPN may still route.
    kind_.append(localizedString("Use System Network (ignore Quenlith proxy)"));
    for (std::size_t index = 1; index < kAllBrowserProxyKinds.size(); ++index)
        kind_.append(title(kAllBrowserProxyKinds[index]));
    port_.set_input_purpose(Gtk::INPUT_PURPOSE_DIGITS);
    passwordField_.set_visibility(false);
    passwordField_.set_input_purpose(Gtk::INPUT_PURPOSE_PASSWORD);
    // Return in a field presses the sheet's default button (Save), as in the other sheets.
    for (Gtk::Entry* field : {&account_, &host_, &port_, &username_, &passwordField_}) field->set_activates_default(true);
    styleCaption(macNetwork_);
    credentials_.pack_start(*makeLabeledRow(localizedString("Proxy Username"), username_), Gtk::PACK_SHRINK);
    credentials_.pack_start(*makeLabeledRow(localizedString("Proxy Password"), passwordField_),
                            Gtk::PACK_SHRINK);
    credentials_.pack_start(
        *makeCaption(localizedString(
            "Leave the password blank to retain it only when the endpoint and username are unchanged.")),
        Gtk::PACK_SHRINK);
    endpoint_.pack_start(*makeLabeledRow(localizedString("Proxy Host"), host_), Gtk::PACK_SHRINK);
    endpoint_.pack_start(*makeLabeledRow(localizedString("Proxy Port"), port_), Gtk::PACK_SHRINK);
    endpoint_.pack_start(authentication_, Gtk::PACK_SHRINK);
    endpoint_.pack_start(credentials_, Gtk::PACK_SHRINK);
    proxyFields_.pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    proxyFields_.pack_start(*makeLabeledRow(localizedString("Proxy type"), kind_), Gtk::PACK_SHRINK);
    proxyFields_.pack_start(endpoint_, Gtk::PACK_SHRINK);
    proxyFields_.pack_start(macNetwork_, Gtk::PACK_SHRINK);
    proxyBox_.pack_start(override_, Gtk::PACK_SHRINK);
    proxyBox_.pack_start(proxyFields_, Gtk::PACK_SHRINK);

    auto* statusTitle = Gtk::manage(new Gtk::Label(
        isNew ? localizedString("Ready when opened") : localizedString("Applies after restarting Quenlith")));
    statusTitle->set_xalign(0);
    styleHeadline(*statusTitle);
    auto* statusRow = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    statusRow->pack_start(*Gtk::manage(new Gtk::Image(isNew ? "emblem-ok-symbolic" : "view-refresh-symbolic",
                                                      Gtk::ICON_SIZE_BUTTON)),
                          Gtk::PACK_SHRINK);
    statusRow->pack_start(*statusTitle, Gtk::PACK_SHRINK);
    statusBox_.pack_start(*statusRow, Gtk::PACK_SHRINK);
    statusBox_.pack_start(
        *makeCaption(
            isNew
                ? localizedString("Tabs and sign-in popups in this window share its session. Saved websites "
                                  "keep their login when reopened.")
                : localizedString("Current pages keep their login until you restart. Switching sessions "
                                  "does not delete the original cookies.")),
        Gtk::PACK_SHRINK);

    pack_start(*makeSection(localizedString("Login Session"), sessionBox_), Gtk::PACK_SHRINK);
    pack_start(*makeSection(localizedString("Website Proxy"), proxyBox_), Gtk::PACK_SHRINK);
    pack_start(statusBox_, Gtk::PACK_SHRINK);
    for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{&account_, &shared_, &proxyFields_,
                                                                   &endpoint_, &credentials_, &macNetwork_})
        widget->set_no_show_all(true);

    session_.signal_toggled().connect([this] {
        if (updating_) return;
        draft_().setIsolatedAccount(session_.get_active());
        written();
    });
    account_.signal_changed().connect([this] {
        if (updating_) return;
        draft_().accountName = std::string(account_.get_text());
        written();
    });
    override_.signal_toggled().connect([this] {
        if (updating_) return;
        WebAppProfile& profile = draft_();
        if (override_.get_active()) {
            // A website proxy always comes with a session of its own.
            profile.siteProxy = BrowserProxySettings{};
            profile.setIsolatedAccount(true);
        } else {
            profile.siteProxy.reset();
        }
        written();
    });
    kind_.signal_changed().connect([this] {
        int row = kind_.get_active_row_number();
        if (!updating_ && row >= 0)
            editProxy([row](auto& proxy) { proxy.kind = kAllBrowserProxyKinds[row]; });
    });
    host_.signal_changed().connect([this] {
        if (!updating_) editProxy([this](auto& proxy) { proxy.host = host_.get_text(); });
    });
    port_.signal_changed().connect([this] {
        if (updating_) return;
        // Only text that reads as a port changes it; Save refuses the rest by the text.
        if (auto value = parseProxyPortText(port_.get_text().raw())) {
            std::int64_t port = *value;
            shownPort_ = port;
            editProxy([port](auto& proxy) { proxy.port = port; });
        }
    });
    authentication_.signal_toggled().connect([this] {
        if (!updating_)
            editProxy([this](auto& proxy) { proxy.usesAuthentication = authentication_.get_active(); });
    });
    username_.signal_changed().connect([this] {
        if (!updating_) editProxy([this](auto& proxy) { proxy.username = username_.get_text(); });
    });
    passwordField_.signal_changed().connect([this] { password_ = passwordField_.get_text(); });
    refresh();
}

std::optional<std::string> WebsiteSessionSettings::portText() const {
    const auto& proxy = draft_().siteProxy;
    if (!proxy || proxy->kind == BrowserProxyKind::system) return std::nullopt;
    return std::string(port_.get_text());
}

void WebsiteSessionSettings::editProxy(const std::function<void(BrowserProxySettings&)>& edit) {
    WebAppProfile& profile = draft_();
    BrowserProxySettings proxy = profile.siteProxy.value_or(BrowserProxySettings{});
    edit(proxy);
    profile.siteProxy = proxy;
    written();
}

void WebsiteSessionSettings::written() {
    refresh();
    if (changed_) changed_();
}

void WebsiteSessionSettings::refresh() {
    updating_ = true;
    const WebAppProfile& profile = draft_();
    bool proxied = profile.siteProxy.has_value();
    session_.set_active(profile.isolatedAccount.value_or(false) || proxied);
    session_.set_sensitive(!proxied);
    bool ownSession = profile.dataStoreIdentifier().has_value();
    if (account_.get_text() != profile.accountName.value_or(""))
        account_.set_text(profile.accountName.value_or(""));
    showWhen(account_, ownSession);
    showWhen(shared_, !ownSession);

    override_.set_active(proxied);
    showWhen(proxyFields_, proxied);
    BrowserProxySettings proxy = profile.siteProxy.value_or(BrowserProxySettings{});
    kind_.set_active(static_cast<int>(proxy.kind));
    bool endpoint = proxied && proxy.kind != BrowserProxyKind::system;
    showWhen(endpoint_, endpoint);
    showWhen(macNetwork_, proxied && !endpoint);
    if (host_.get_text() != proxy.host) host_.set_text(proxy.host);
    // The port field keeps what the user typed; it follows the draft only when the port changed
    // elsewhere (a new proxy), so text that is no number stays for Save to refuse.
    if (proxy.port != shownPort_) {
        shownPort_ = proxy.port;
        port_.set_text(std::to_string(proxy.port));
    }
    authentication_.set_active(proxy.usesAuthentication);
    showWhen(credentials_, endpoint && proxy.usesAuthentication);
    if (username_.get_text() != proxy.username) username_.set_text(proxy.username);
    updating_ = false;
}

}  // namespace quenlith
