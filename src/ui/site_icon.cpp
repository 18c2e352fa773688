#include "ui/site_icon.hpp"

#include <cmath>

#include <gdkmm/general.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/stylecontext.h>
#include <pangomm/layout.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "model/address.hpp"
#include "model/text_limits.hpp"
#include "ui/icon_names.hpp"
#include "ui/rounded_rectangle.hpp"

namespace quenlith {

namespace {

// A colour the theme names, as the widget's style resolves it (light or dark).
Gdk::RGBA themeColour(Gtk::Widget& widget, const char* name) {
    Gdk::RGBA colour;
    if (!widget.get_style_context()->lookup_color(name, colour))
        colour = widget.get_style_context()->get_color(Gtk::STATE_FLAG_NORMAL);
    return colour;
}

// The contrast ratio of two colours as readers of text perceive it (1 for equal colours, 21 for
// black on white).
double contrast(const Gdk::RGBA& one, const Gdk::RGBA& other) {
    auto luminance = [](const Gdk::RGBA& colour) {
        auto linear = [](double channel) {
            return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.get_red()) + 0.7152 * linear(colour.get_green()) +
               0.0722 * linear(colour.get_blue());
    };
    const double a = luminance(one) + 0.05, b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

std::optional<SuggestedWebsite> suggestionFor(const WebAppProfile& profile) {
    auto home = normalizedWebsiteURL(profile.homeURL);
    if (!home) return std::nullopt;
    return SuggestedWebsite::matching(*home);
}

void drawSuggestion(const Cairo::RefPtr<Cairo::Context>& cr, Gtk::Widget& widget, const SuggestedWebsite& site,
                    int size) {
    const double red = ((site.color >> 16) & 0xFF) / 255.0;
    const double green = ((site.color >> 8) & 0xFF) / 255.0;
    const double blue = (site.color & 0xFF) / 255.0;
    roundedRectangle(cr, 0.5, 0.5, size - 1, size - 1, size * 0.24);
    // The control background: the base colour of the theme's entries and lists.
    const Gdk::RGBA background = themeColour(widget, "theme_base_color");
    Gdk::Cairo::set_source_rgba(cr, background);
    cr->fill_preserve();
    cr->set_source_rgba(red, green, blue, 0.16);
    cr->set_line_width(1);
    cr->stroke();

    installApplicationIcons();
    const int symbolSize = static_cast<int>(std::lround(size * 0.46));
    auto theme = Gtk::IconTheme::get_for_screen(widget.get_screen());
    auto info = theme->lookup_icon(site.symbol, symbolSize, Gtk::ICON_LOOKUP_FORCE_SIZE);
    if (!info) return;
    Gdk::RGBA color;
    color.set_rgba(red, green, blue, 1.0);
    // A dark mark on the dark theme's background (or a light one on a light theme) would vanish:
    // it takes the theme's text colour instead.
    if (contrast(color, background) < 2) color = themeColour(widget, "theme_fg_color");
    bool wasSymbolic = false;
    Glib::RefPtr<Gdk::Pixbuf> pixbuf;
    try {
        pixbuf = info.load_symbolic(color, color, color, color, wasSymbolic);
    } catch (const Glib::Error&) {
        return;
    }
    if (!pixbuf) return;
    Gdk::Cairo::set_source_pixbuf(cr, pixbuf, (size - pixbuf->get_width()) / 2.0, (size - pixbuf->get_height()) / 2.0);
    cr->paint();
}

}  // namespace

std::string siteLetter(std::string_view displayTitle) {
    std::string first = prefixCharacters(displayTitle, 1);
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(first);
    unicode.toUpper(icu::Locale::getRoot());
    std::string upper;
    unicode.toUTF8String(upper);
    return upper;
}

SuggestedSiteIcon::SuggestedSiteIcon(SuggestedWebsite site, int size) : site_(std::move(site)), size_(size) {
    set_size_request(size, size);
    set_halign(Gtk::ALIGN_CENTER);
}

bool SuggestedSiteIcon::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    drawSuggestion(cr, *this, site_, size_);
    return true;
}

SiteIcon::SiteIcon(const WebAppProfile& profile, SiteIconLoader& loader, int size)
    : profile_(profile), loader_(loader), size_(size) {
    set_size_request(size, size);
    set_halign(Gtk::ALIGN_CENTER);
    loaderChanged_ = loader_.signal_changed().connect([this] { queue_draw(); });
}

SiteIcon::~SiteIcon() { loaderChanged_.disconnect(); }

void SiteIcon::setProfile(const WebAppProfile& profile) {
    profile_ = profile;
    queue_draw();
}

void SiteIcon::requestIcon() {
    // Asked for when first drawn, not when mapped: of a long grid in a scrolled window only the
    // icons in view are drawn, so the others load when they scroll into view.
    std::string key = loader_.iconKey(profile_);
    if (key == requestedKey_) return;
    requestedKey_ = std::move(key);
    loader_.load(profile_);
}

SiteIcon::Content SiteIcon::content() const {
    if (suggestionFor(profile_)) return Content::suggestion;
    return loader_.image(loader_.iconKey(profile_)) ? Content::favicon : Content::letter;
}

bool SiteIcon::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    if (auto suggestion = suggestionFor(profile_)) {
        drawSuggestion(cr, *this, *suggestion, size_);
        return true;
    }
    requestIcon();
    const Gdk::RGBA accent = themeColour(*this, "theme_selected_bg_color");
    roundedRectangle(cr, 0, 0, size_, size_, size_ * 0.24);
    cr->set_source_rgba(accent.get_red(), accent.get_green(), accent.get_blue(), 0.08);
    cr->fill();

    if (auto image = loader_.image(loader_.iconKey(profile_))) {
        const double box = size_ - 2 * size_ * 0.18;
        const double scale = std::min(box / image->get_width(), box / image->get_height());
        const int width = std::max(1, static_cast<int>(std::lround(image->get_width() * scale)));
        const int height = std::max(1, static_cast<int>(std::lround(image->get_height() * scale)));
        auto scaled = image->scale_simple(width, height, Gdk::INTERP_BILINEAR);
        Gdk::Cairo::set_source_pixbuf(cr, scaled, (size_ - width) / 2.0, (size_ - height) / 2.0);
        cr->paint();
        return true;
    }

    std::string letter = siteLetter(profile_.displayTitle());
    if (letter.empty()) return true;
    auto layout = create_pango_layout("");
    layout->set_text(letter);  // plain text: a "<" or "&" is drawn as it is
    Pango::FontDescription font;
    font.set_family("Sans");
    font.set_weight(Pango::WEIGHT_SEMIBOLD);
    font.set_absolute_size(size_ * 0.45 * PANGO_SCALE);
    layout->set_font_description(font);
    int width = 0, height = 0;
    layout->get_pixel_size(width, height);
    // Drawn nearer the text colour, the letter keeps its hue and reads on light and dark windows.
    const Gdk::RGBA text = themeColour(*this, "theme_fg_color");
    auto mix = [](double a, double b) { return a * 0.4 + b * 0.6; };
    cr->set_source_rgb(mix(accent.get_red(), text.get_red()), mix(accent.get_green(), text.get_green()),
                       mix(accent.get_blue(), text.get_blue()));
    cr->move_to((size_ - width) / 2.0, (size_ - height) / 2.0);
    layout->show_in_cairo_context(cr);
    return true;
}

}  // namespace quenlith
