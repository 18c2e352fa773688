// The harness window on a display of its own: its screenshot shows the chrome and the page.

#include <cstdio>
#include <set>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "support/background_process.hpp"
#include "support/temp_environment.hpp"

namespace quenlith::test {
namespace {

// Counts the pixels of a rectangle for which `match(r, g, b)` holds.
template <typename Match>
int countPixels(GdkPixbuf* image, int x0, int y0, int width, int height, Match match) {
    const int channels = gdk_pixbuf_get_n_channels(image), stride = gdk_pixbuf_get_rowstride(image);
    const guchar* data = gdk_pixbuf_read_pixels(image);
    int count = 0;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x)
            count += match(data[y * stride + x * channels], data[y * stride + x * channels + 1],
                           data[y * stride + x * channels + 2]);
    return count;
}

TEST(BrowserHarness, ScreenshotShowsTheChromeAndThePage) {
    TemporaryEnvironment environment;
    const std::string shot = environment.root() + "/shot.png";
    BackgroundProcess harness({"xvfb-run", "-a", "-s", "-screen 0 1024x700x24", QUENLITH_BROWSER_HARNESS,
                               "--tabs", "2", "--find", "needle", "--screenshot", shot},
                              environment.root() + "/harness.log");
    ASSERT_TRUE(harness.waitForExit(std::chrono::seconds(90))) << harness.output();
    ASSERT_NE(harness.output().find("screenshot taken"), std::string::npos) << harness.output();

    g_autoptr(GdkPixbuf) image = gdk_pixbuf_new_from_file(shot.c_str(), nullptr);
    ASSERT_NE(image, nullptr);
    ASSERT_GE(gdk_pixbuf_get_width(image), 900);
    ASSERT_GE(gdk_pixbuf_get_height(image), 620);
    // Not blank: text, icons and the page's colours make many distinct colours.
    std::set<guint32> colours;
    countPixels(image, 0, 0, 900, 620,
                [&](int r, int g, int b) { return colours.insert((r << 16) | (g << 8) | b).second; });
    EXPECT_GE(colours.size(), 50u);
    // The chrome is drawn: dark icon and text pixels in the title bar.
    EXPECT_GE(countPixels(image, 0, 0, 900, 46, [](int r, int g, int b) { return r + g + b < 300; }), 200);
    // The page is drawn below the chrome: the active tab's green block (#2fa35a).
    EXPECT_GE(countPixels(image, 0, 114, 900, 506,
                          [](int r, int g, int b) {
                              return std::abs(r - 0x2f) < 12 && std::abs(g - 0xa3) < 12 &&
                                     std::abs(b - 0x5a) < 12;
                          }),
              50000);
}

// A small floating window, as the website opens it: the chrome (title bar with the controls, tab
// strip) leaves the page most of the height.
TEST(BrowserHarness, ChromeLeavesAPageTheHeightOfASmallWindow) {
    TemporaryEnvironment environment;
    BackgroundProcess harness({"xvfb-run", "-a", "-s", "-screen 0 600x800x24", QUENLITH_BROWSER_HARNESS, "--tabs",
                               "3", "--size", "480x720", "--screenshot", environment.root() + "/small.png"},
                              environment.root() + "/harness.log");
    ASSERT_TRUE(harness.waitForExit(std::chrono::seconds(90))) << harness.output();
    int chrome = -1, page = -1;
    const auto at = harness.output().find("chrome ");
    ASSERT_NE(at, std::string::npos) << harness.output();
    ASSERT_EQ(std::sscanf(harness.output().c_str() + at, "chrome %d page %d", &chrome, &page), 2);
    EXPECT_LE(chrome, 90);
    EXPECT_GE(page, 600);
}

}  // namespace
}  // namespace quenlith::test
