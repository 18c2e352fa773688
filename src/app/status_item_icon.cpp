#include "app/status_item_icon.hpp"

#include <cmath>

#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <gdkmm/general.h>
#include <gtkmm/icontheme.h>
#include <pango/pangocairo.h>

#include "ui/icon_names.hpp"
#include "ui/rounded_rectangle.hpp"

namespace quenlith {

namespace {

Glib::RefPtr<Gdk::Pixbuf> symbolPicture(const SuggestedWebsite& site, int pixels) {
    installApplicationIcons();
    auto theme = Gtk::IconTheme::get_default();
    if (!theme) return {};
    auto info = theme->lookup_icon(site.symbol, pixels, Gtk::ICON_LOOKUP_FORCE_SIZE);
    if (!info) return {};
    Gdk::RGBA color;
    color.set_rgba(((site.color >> 16) & 0xFF) / 255.0, ((site.color >> 8) & 0xFF) / 255.0, (site.color & 0xFF) / 255.0);
    bool symbolic = false;
    try {
        return info.load_symbolic(color, color, color, color, symbolic);
    } catch (const Glib::Error&) {
        return {};
    }
}

}  // namespace

StatusIconPixmap drawStatusIcon(const StatusIconSource& source, WebsiteActivity activity, int pixels) {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, pixels, pixels);
    auto cr = Cairo::Context::create(surface);
    const double unit = pixels / 20.0;  // the item is drawn on a 20-point grid

    // The tile: 17 points at the top left, leaving room for the dot.
    const double tile = 17 * unit;
    roundedRectangle(cr, 1 * unit, 1 * unit, tile, tile, 4 * unit * 17 / 18);
    cr->set_source_rgb(1, 1, 1);
    cr->fill();
    const double inset = 2 * unit * 17 / 18;
    const double box = tile - 2 * inset;
    Glib::RefPtr<Gdk::Pixbuf> picture = source.suggestion ? symbolPicture(*source.suggestion, static_cast<int>(box))
                                                          : source.favicon;
    if (picture && picture->get_width() > 0 && picture->get_height() > 0) {
        const double scale = std::min(box / picture->get_width(), box / picture->get_height());
        const int width = std::max(1, static_cast<int>(std::lround(picture->get_width() * scale)));
        const int height = std::max(1, static_cast<int>(std::lround(picture->get_height() * scale)));
        auto scaled = picture->scale_simple(width, height, Gdk::INTERP_BILINEAR);
        Gdk::Cairo::set_source_pixbuf(cr, scaled, 1 * unit + (tile - width) / 2, 1 * unit + (tile - height) / 2);
        cr->paint();
    } else if (!source.letter.empty()) {
        // Plain Pango: the icon is also drawn where no toolkit wrapper has been set up.
        PangoLayout* layout = pango_cairo_create_layout(cr->cobj());
        pango_layout_set_text(layout, source.letter.c_str(), -1);
        PangoFontDescription* font = pango_font_description_from_string("Sans Semi-Bold");
        pango_font_description_set_absolute_size(font, tile * 0.6 * PANGO_SCALE);
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
        int width = 0, height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        cr->set_source_rgb(0.208, 0.518, 0.894);
        cr->move_to(1 * unit + (tile - width) / 2, 1 * unit + (tile - height) / 2);
        pango_cairo_show_layout(cr->cobj(), layout);
        g_object_unref(layout);
    }

    if (activity != WebsiteActivity::closed) {
        cr->arc(16.5 * unit, 16.5 * unit, 3.5 * unit, 0, 2 * M_PI);
        cr->set_source_rgb(1, 1, 1);
        cr->fill();
        cr->arc(16.5 * unit, 16.5 * unit, 2.5 * unit, 0, 2 * M_PI);
        if (activity == WebsiteActivity::visible)
            cr->set_source_rgb(0.157, 0.784, 0.251);  // green
        else
            cr->set_source_rgb(1.0, 0.584, 0.0);  // orange
        cr->fill();
    }
    surface->flush();

    // Cairo keeps premultiplied native-endian pixels; the tray reads straight ARGB in network order.
    StatusIconPixmap pixmap;
    pixmap.width = pixels;
    pixmap.height = pixels;
    pixmap.argb.reserve(static_cast<std::size_t>(pixels) * pixels * 4);
    const unsigned char* data = surface->get_data();
    const int stride = surface->get_stride();
    for (int y = 0; y < pixels; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < pixels; ++x) {
            std::uint32_t p = row[x];
            std::uint8_t a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (a && a != 255) {
                r = static_cast<std::uint8_t>(r * 255 / a);
                g = static_cast<std::uint8_t>(g * 255 / a);
                b = static_cast<std::uint8_t>(b * 255 / a);
            }
            pixmap.argb.insert(pixmap.argb.end(), {a, r, g, b});
        }
    }
    return pixmap;
}

}  // namespace quenlith
