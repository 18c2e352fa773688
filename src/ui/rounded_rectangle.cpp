#include "ui/rounded_rectangle.hpp"

#include <cmath>

namespace quenlith {

void roundedRectangle(const Cairo::RefPtr<Cairo::Context>& cr, double x, double y, double width, double height,
                      double radius) {
    cr->begin_new_sub_path();
    cr->arc(x + width - radius, y + radius, radius, -M_PI / 2, 0);
    cr->arc(x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    cr->arc(x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    cr->arc(x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cr->close_path();
}

}  // namespace quenlith
