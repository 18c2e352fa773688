// The harness window on a display of its own: its screenshot shows the chrome and the page.

#include <set>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "support/background_process.hpp"
#include "support/temp_environment.hpp"

namespace quenlith::test {
namespace {

struct Pixels {
    GdkPixbuf* pixbuf = nullptr;
    ~Pixels() {
        if (pixbuf) g_object_unref(pixbuf);
    }
    // Visits the pixels of a rectangle as (r, g, b).
    template <typename Visit>
    void each(int x0, int y0, int width, int height, Visit visit) const {
        const int channels = gdk_pixbuf_get_n_channels(pixbuf);
        const int stride = gdk_pixbuf_get_rowstride(pixbuf);
        const guchar* data = gdk_pixbuf_read_pixels(pixbuf);
        for (int y = y0; y < y0 + height; ++y)
            for (int x = x0; x < x0 + width; ++x) {
                const guchar* p = data + y * stride + x * channels;
                visit(p[0], p[1], p[2]);
            }
    }
};

TEST(BrowserHarness, ScreenshotShowsTheChromeAndThePage) {
    TemporaryEnvironment environment;
    const std::string shot = environment.root() + "/shot.png";
    BackgroundProcess harness({"xvfb-run", "-a", "-s", "-screen 0 1024x700x24", QUENLITH_BROWSER_HARNESS,
                               "--tabs", "2", "--find", "needle", "--screenshot", shot},
                              environment.root() + "/harness.log");
    ASSERT_TRUE(harness.waitForExit(std::chrono::seconds(90))) << harness.output();
    ASSERT_NE(harness.output().find("screenshot taken"), std::string::npos) << harness.output();

    Pixels image;
    GError* error = nullptr;
    image.pixbuf = gdk_pixbuf_new_from_file(shot.c_str(), &error);
    ASSERT_NE(image.pixbuf, nullptr) << (error ? error->message : "");
    ASSERT_GE(gdk_pixbuf_get_width(image.pixbuf), 900);
    ASSERT_GE(gdk_pixbuf_get_height(image.pixbuf), 620);

    // Not blank: text, icons and the page's colours make many distinct colours.
    std::set<guint32> colours;
    image.each(0, 0, 900, 620, [&](int r, int g, int b) { colours.insert((r << 16) | (g << 8) | b); });
    EXPECT_GE(colours.size(), 50u);

    // The chrome is drawn: dark icon and text pixels in the toolbar row.
    int dark = 0;
    image.each(0, 0, 900, 42, [&](int r, int g, int b) { dark += (r + g + b) < 300; });
    EXPECT_GE(dark, 200);

    // The page is drawn below the chrome: the active tab's green block (#2fa35a).
    int green = 0;
    image.each(0, 114, 900, 506, [&](int r, int g, int b) {
        green += std::abs(r - 0x2f) < 12 && std::abs(g - 0xa3) < 12 && std::abs(b - 0x5a) < 12;
    });
    EXPECT_GE(green, 50000);
}

}  // namespace
}  // namespace quenlith::test
