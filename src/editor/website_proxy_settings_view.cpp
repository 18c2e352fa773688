#include "editor/website_proxy_settings_view.hpp"

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>

#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "model/window_sheet_saves.hpp"
#include "ui/form_rows.hpp"
#include "ui/focus_in_view.hpp"
#include "ui/wheel_guard.hpp"

namespace quenlith {

WebsiteProxySettingsView::WebsiteProxySettingsView(Gtk::Window& parent, const WebAppProfile& website,
                                                   std::shared_ptr<ProxyPasswordVault> vault)
    : Gtk::Dialog(localizedString("Proxy"), parent, /*modal=*/true),
      draft_(website),
      previous_(website),
      vault_(std::move(vault)),
      alive_(std::make_shared<WebsiteProxySettingsView*>(this)),
      subtitle_(localizedString("Session and proxy settings for this website")),
      session_([this]() -> WebAppProfile& { return draft_; }, /*isNew=*/false) {
    set_default_size(560, 580);
    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 6));
    header->set_border_width(20);
    showText(title_, shownName(website.displayTitle()));
    title_.set_xalign(0);
    ellipsizeWithinWidth(title_);
    styleHeadline(title_);
    styleCaption(subtitle_);
    header->pack_start(title_, Gtk::PACK_SHRINK);
    header->pack_start(subtitle_, Gtk::PACK_SHRINK);
    auto* scroller = Gtk::manage(new Gtk::ScrolledWindow());
    scroller->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    session_.set_border_width(16);
    scroller->add(session_);
    leaveWheelToScrolling(*scroller);
    keepFocusInView(*scroller);
    errorLabel_.set_xalign(0);
    wrapWithinWidth(errorLabel_);
    errorLabel_.override_color(Gdk::RGBA("#c01c28"));
    errorLabel_.set_margin_start(20);
    errorLabel_.set_margin_end(20);
    errorLabel_.set_no_show_all(true);
    auto* content = get_content_area();
    content->pack_start(*header, Gtk::PACK_SHRINK);
    content->pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    content->pack_start(*scroller, Gtk::PACK_EXPAND_WIDGET);
    content->pack_start(*Gtk::manage(new Gtk::Separator()), Gtk::PACK_SHRINK);
    content->pack_start(errorLabel_, Gtk::PACK_SHRINK);
    add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    styleSuggestedAction(*add_button(localizedString("Save"), Gtk::RESPONSE_OK));
    set_default_response(Gtk::RESPONSE_OK);
    session_.refresh();
    show_all_children();
}

WebsiteProxySettingsView::~WebsiteProxySettingsView() { alive_.reset(); }

void WebsiteProxySettingsView::save() {
    if (saving_) return;
    saving_ = true;
    WebsiteProxySaveServices services{vault_, onSave_, discardCredential_};
    std::weak_ptr<WebsiteProxySettingsView*> weak = alive_;
    runWebsiteProxySave(draft_, previous_, session_.password(), session_.portText(), std::move(services),
                        [weak](Result<WebAppProfile> outcome) {
                            auto self = weak.lock();
                            if (!self) return;
                            WebsiteProxySettingsView& view = **self;
                            view.saving_ = false;
                            if (!outcome) {
                                view.error_ = outcome.error().message;
                                return view.showError();
                            }
                            view.draft_ = std::move(*outcome);
                            if (view.onClose_) view.onClose_();
                        });
}

void WebsiteProxySettingsView::showError() {
    errorLabel_.set_text(error_.value_or(""));
    showWhen(errorLabel_, error_.has_value());
}

void WebsiteProxySettingsView::on_response(int response) {
    if (response == Gtk::RESPONSE_OK)
        save();
    else if (onClose_)
        onClose_();
}

}  // namespace quenlith
