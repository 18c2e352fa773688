#pragma once

#include <string_view>

#include <gdkmm/pixbuf.h>

typedef struct _cairo_surface cairo_surface_t;

namespace quenlith {

// Every picture a website supplies (its icon on tiles, tabs and tray items) passes through these,
// so a small file claiming a huge picture cannot take the memory: one claiming more than
// kIconSideLimit pixels on a side is refused before any of its pixels is decoded, and what is
// kept is no larger than the largest size an icon is shown at.
inline constexpr int kIconSideLimit = 1024;
inline constexpr int kIconKeptSide = 128;

// The picture, fitted into `keptSide` x `keptSide` when larger (smaller ones stay as they are);
// null for data that is no picture or claims more than the limit.
Glib::RefPtr<Gdk::Pixbuf> decodeIconImage(std::string_view bytes, int keptSide = kIconKeptSide);

// A copy of a picture the web engine has decoded, fitted into `side` x `side`; null for no image
// surface, or one past the limit (a full copy of that would take its memory a second time).
Glib::RefPtr<Gdk::Pixbuf> iconImageFromSurface(cairo_surface_t* surface, int side);

}  // namespace quenlith
