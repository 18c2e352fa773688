#include "launcher/start_page_search_bar.hpp"

#include <gtkmm/image.h>

#include "launcher/launcher_style.hpp"
#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

StartPageSearchBar::StartPageSearchBar(std::function<void()> onChange, std::function<void()> onClear,
                                       std::function<void()> onSubmit)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8), onChange_(std::move(onChange)) {
    get_style_context()->add_class("quenlith-search");
    set_margin_start(20);
    set_margin_end(20);
    set_margin_bottom(12);
    pack_start(*makeSymbolImage("magnifyingglass", 16), Gtk::PACK_SHRINK);
    entry_.set_placeholder_text(localizedString("Search or enter website"));
    nameControl(entry_, localizedString("Search or enter website"));
    entry_.set_has_frame(false);
    entry_.set_hexpand(true);
    pack_start(entry_, Gtk::PACK_EXPAND_WIDGET);
    clearButton_.set_image(*makeSymbolImage("xmark.circle.fill", 14));
    clearButton_.set_relief(Gtk::RELIEF_NONE);
    clearButton_.set_tooltip_text(localizedString("Clear Search"));
    nameControl(clearButton_, localizedString("Clear Search"));
    clearButton_.set_no_show_all(true);
    clearButton_.signal_clicked().connect(std::move(onClear));
    pack_start(clearButton_, Gtk::PACK_SHRINK);

    entry_.signal_changed().connect([this] {
        text_ = entry_.get_text();
        onChange_();
    });
    entry_.signal_activate().connect(std::move(onSubmit));
}

void StartPageSearchBar::setText(const std::string& text) {
    if (entry_.get_text() != text) entry_.set_text(text);
    text_ = text;
}

void StartPageSearchBar::showClearButtonForText() {
    clearButton_.set_visible(!text_.empty());
}

}  // namespace quenlith
