#include "settings/network_settings_page.hpp"

#include "browser/engine/proxy_runtime.hpp"
#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

namespace {

Gtk::Entry* makeField() {
    auto* field = Gtk::manage(new Gtk::Entry());
    field->set_hexpand(true);
    return field;
}

}  // namespace

NetworkSettingsPage::NetworkSettingsPage(SettingsContext& context)
    : context_(context), form_(context.preferences), alive_(std::make_shared<NetworkSettingsPage*>(this)) {
    auto& proxy = addSection(localizedString("Browser Proxy"));
    active_ = Gtk::manage(new Gtk::Label(context_.activeProxy.settings().summary()));
    active_->set_xalign(1);
    makeCopyable(*active_);
    proxy.pack_start(*makeLabeledRow(localizedString("Active this launch"), *active_), Gtk::PACK_SHRINK);
    activeError_ = makeErrorLabel();
    showMessage(*activeError_, context_.activeProxy.errorMessage());
    proxy.pack_start(*activeError_, Gtk::PACK_SHRINK);
    proxy.pack_start(*makeCaption(localizedString(
                         "Applies to websites without a proxy override and to private windows. Downloads and icons "
                         "follow their website’s route. Your computer’s system proxy and other applications are "
                         "unchanged.")),
                     Gtk::PACK_SHRINK);
    std::vector<std::string> kinds;
    for (auto kind : kAllBrowserProxyKinds) kinds.push_back(title(kind));
    kind_ = makePicker(kinds);
    proxy.pack_start(*makeLabeledRow(localizedString("Proxy Type"), *kind_), Gtk::PACK_SHRINK);

    endpoint_ = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
    endpoint_->set_no_show_all(true);
    host_ = makeField();
    port_ = makeField();
    endpoint_->pack_start(*makeLabeledRow(localizedString("Proxy Host"), *host_), Gtk::PACK_SHRINK);
    endpoint_->pack_start(*makeLabeledRow(localizedString("Proxy Port"), *port_), Gtk::PACK_SHRINK);
    endpoint_->pack_start(*makeCaption(localizedString(
                              "For example: host 127.0.0.1 and port 7890. Use the port provided by your proxy app, "
                              "not a subscription URL.")),
                          Gtk::PACK_SHRINK);
    authentication_ = makeSwitch(localizedString("Proxy requires authentication"));
    endpoint_->pack_start(*authentication_, Gtk::PACK_SHRINK);
    credentials_ = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8));
    credentials_->set_no_show_all(true);
    username_ = makeField();
    password_ = makeField();
    password_->set_visibility(false);
    password_->set_input_purpose(Gtk::INPUT_PURPOSE_PASSWORD);
    credentials_->pack_start(*makeLabeledRow(localizedString("Proxy Username"), *username_), Gtk::PACK_SHRINK);
    credentials_->pack_start(*makeLabeledRow(localizedString("Proxy Password"), *password_), Gtk::PACK_SHRINK);
    credentials_->pack_start(*makeCaption(localizedString(
                                 "Passwords are saved in the desktop keyring, never in settings JSON or backups. Leave "
                                 "blank to keep the saved password only if the endpoint and username are unchanged.")),
                             Gtk::PACK_SHRINK);
    endpoint_->pack_start(*credentials_, Gtk::PACK_SHRINK);
    endpoint_->pack_start(*makeCaption(localizedString(
                              "Automatic direct fallback is disabled for proxied requests. HTTPS CONNECT encrypts the "
                              "connection to the proxy; HTTP CONNECT and SOCKS5 do not.")),
                          Gtk::PACK_SHRINK);
    proxy.pack_start(*endpoint_, Gtk::PACK_SHRINK);

    auto& actions = addSection();
    auto* restart = Gtk::manage(new Gtk::Label(localizedString(
        "Save and restart Quenlith to apply proxy changes. Current tabs and downloads keep using the active "
        "configuration until you quit.")));
    restart->set_xalign(0);
    restart->set_line_wrap(true);
    actions.pack_start(*restart, Gtk::PACK_SHRINK);
    auto* buttons = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    discard_ = Gtk::manage(new Gtk::Button(localizedString("Discard Changes")));
    save_ = Gtk::manage(new Gtk::Button(localizedString("Save Proxy Settings")));
    styleSuggestedAction(*save_);
    buttons->pack_start(*discard_, Gtk::PACK_SHRINK);
    buttons->pack_start(*save_, Gtk::PACK_SHRINK);
    actions.pack_start(*buttons, Gtk::PACK_SHRINK);
    message_ = Gtk::manage(new Gtk::Label());
    message_->set_xalign(0);
    message_->set_line_wrap(true);
    makeCopyable(*message_);
    message_->set_no_show_all(true);
    actions.pack_start(*message_, Gtk::PACK_SHRINK);

    // Every field writes the draft at once; nothing reaches the preferences before Save.
    kind_->signal_changed().connect([this] {
        int row = kind_->get_active_row_number();
        if (updating_ || row < 0) return;
        form_.editDraft([&](BrowserProxySettings& draft) {
            draft.kind = kAllBrowserProxyKinds[static_cast<std::size_t>(row)];
        });
        showForm();
    });
    host_->signal_changed().connect([this] {
        if (!updating_) form_.editDraft([&](BrowserProxySettings& draft) { draft.host = host_->get_text(); });
    });
    port_->signal_changed().connect([this] {
        if (!updating_) form_.setPort(port_->get_text());
    });
    authentication_->signal_toggled().connect([this] {
        if (updating_) return;
        form_.editDraft(
            [&](BrowserProxySettings& draft) { draft.usesAuthentication = authentication_->get_active(); });
        showForm();
    });
    username_->signal_changed().connect([this] {
        if (!updating_)
            form_.editDraft([&](BrowserProxySettings& draft) { draft.username = username_->get_text(); });
    });
    password_->signal_changed().connect([this] {
        if (!updating_) form_.setPassword(password_->get_text());
    });
    discard_->signal_clicked().connect([this] {
        form_.discard();
        showForm();
    });
    save_->signal_clicked().connect([this] { save(); });
    appeared();
}

void NetworkSettingsPage::appeared() {
    form_.resetDraft();
    showForm();
}

void NetworkSettingsPage::save() {
    std::weak_ptr<NetworkSettingsPage*> weak = alive_;
    save_->set_sensitive(false);
    form_.save({context_.services.vault, context_.services.discardCredential}, [weak] {
        auto self = weak.lock();
        if (!self) return;
        NetworkSettingsPage& page = **self;
        page.save_->set_sensitive(true);
        page.showForm();
        // The result line is under the buttons, often below the visible part of the page.
        if (page.message_->get_visible()) page.scrollIntoView(*page.message_);
        // A settings file that could not be written is the window's news as well, until a save works.
        if (page.form_.storeFailed())
            page.context_.reportSave(page.form_.message());
        else if (!page.form_.failed())
            page.context_.reportSave(std::nullopt);
    });
}

void NetworkSettingsPage::showForm() {
    updating_ = true;
    const auto& draft = form_.draft();
    for (std::size_t i = 0; i < kAllBrowserProxyKinds.size(); ++i)
        if (kAllBrowserProxyKinds[i] == draft.kind) kind_->set_active(static_cast<int>(i));
    if (host_->get_text() != draft.host) host_->set_text(draft.host);
    if (port_->get_text() != form_.port()) port_->set_text(form_.port());
    authentication_->set_active(draft.usesAuthentication);
    if (username_->get_text() != draft.username) username_->set_text(draft.username);
    if (password_->get_text() != form_.password()) password_->set_text(form_.password());
    updating_ = false;
    showWhen(*endpoint_, draft.kind != BrowserProxyKind::system);
    showWhen(*credentials_, draft.usesAuthentication);
    showMessage(*message_, form_.message());
    auto style = message_->get_style_context();
    if (form_.failed())
        readableErrorText(*message_), style->add_class("error"), style->remove_class(kSecondaryTextClass);
    else
        styleSecondaryText(*message_), style->remove_class("error");
}

}  // namespace quenlith
