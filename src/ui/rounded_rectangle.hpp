#pragma once

#include <cairomm/context.h>

namespace quenlith {

// Adds a closed rectangle with rounded corners of `radius` to the current path of `cr`.
void roundedRectangle(const Cairo::RefPtr<Cairo::Context>& cr, double x, double y, double width, double height,
                      double radius);

}  // namespace quenlith
