#include "ui/icon_image.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>

namespace quenlith {

namespace {

bool withinLimit(int width, int height) {
    return width > 0 && height > 0 && width <= kIconSideLimit && height <= kIconSideLimit;
}

// The size that fits `width` x `height` into a square of `side`, keeping the proportions.
std::pair<int, int> fitted(int width, int height, int side) {
    if (width <= side && height <= side) return {width, height};
    const double scale = static_cast<double>(side) / std::max(width, height);
    return {std::max(1, static_cast<int>(std::lround(width * scale))),
            std::max(1, static_cast<int>(std::lround(height * scale)))};
}

struct Decoding {
    int keptSide;
    bool refused = false;
};

void onSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto& decoding = *static_cast<Decoding*>(data);
    if (!withinLimit(width, height)) {
        decoding.refused = true;
        // The loaders' convention: a size of nothing ends the decoding before the pixels are
        // allocated.
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    auto [keptWidth, keptHeight] = fitted(width, height, decoding.keptSide);
    gdk_pixbuf_loader_set_size(loader, keptWidth, keptHeight);
}

}  // namespace

Glib::RefPtr<Gdk::Pixbuf> decodeIconImage(std::string_view bytes, int keptSide) {
    if (bytes.empty() || keptSide <= 0) return {};
    Decoding decoding{keptSide};
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    g_signal_connect(loader, "size-prepared", G_CALLBACK(onSizePrepared), &decoding);
    // Written in parts, so that a loader not keeping to the convention stops at the next part.
    constexpr std::size_t kPart = 64 * 1024;
    bool ok = true;
    for (std::size_t offset = 0; ok && !decoding.refused && offset < bytes.size(); offset += kPart) {
        const std::size_t length = std::min(kPart, bytes.size() - offset);
        ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data() + offset), length,
                                     nullptr);
    }
    ok = gdk_pixbuf_loader_close(loader, nullptr) && ok;
    // The loader gives the size asked for in size-prepared (scaling while it decodes where the
    // format allows). A loader that asks for the size only once it holds the pixels is refused too.
    Glib::RefPtr<Gdk::Pixbuf> image;
    if (ok && !decoding.refused)
        if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader)) image = Glib::wrap(pixbuf, true);
    g_object_unref(loader);
    return image;
}

Glib::RefPtr<Gdk::Pixbuf> iconImageFromSurface(cairo_surface_t* surface, int side) {
    if (!surface || side <= 0 || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return {};
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    if (!withinLimit(width, height)) return {};
    auto [keptWidth, keptHeight] = fitted(width, height, side);
    // Drawn scaled straight from the engine's pixels: no copy at the full size.
    cairo_surface_t* kept = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, keptWidth, keptHeight);
    cairo_t* cr = cairo_create(kept);
    cairo_scale(cr, static_cast<double>(keptWidth) / width, static_cast<double>(keptHeight) / height);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);  // edges stay opaque
    cairo_paint(cr);
    cairo_destroy(cr);
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(kept, 0, 0, keptWidth, keptHeight);
    cairo_surface_destroy(kept);
    return pixbuf ? Glib::wrap(pixbuf) : Glib::RefPtr<Gdk::Pixbuf>();
}

}  // namespace quenlith
