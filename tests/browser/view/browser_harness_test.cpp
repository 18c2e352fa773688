// The harness window on a display of its own: its screenshot shows the chrome and the page.

#include <cstdio>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include "support/background_process.hpp"
#include "support/temp_environment.hpp"

namespace quenlith::test {
namespace {

// Counts the pixels of a rectangle for which `match` holds, given the pixel's red, green and blue.
template <typename Match>
int countPixels(GdkPixbuf* image, int x0, int y0, int width, int height, Match match) {
    const int channels = gdk_pixbuf_get_n_channels(image), stride = gdk_pixbuf_get_rowstride(image);
    const guchar* data = gdk_pixbuf_read_pixels(image);
    int count = 0;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) count += match(data + y * stride + x * channels);
    return count;
}

// A small floating window, as the website opens it: the chrome (title bar with the controls, tab
// strip) is drawn and leaves the page, drawn below it, most of the height.
TEST(BrowserHarness, ScreenshotShowsTheChromeAndThePageOfASmallWindow) {
    TemporaryEnvironment environment;
    const std::string shot = environment.root() + "/shot.png";
    BackgroundProcess harness({"xvfb-run", "-a", "-s", "-screen 0 600x800x24", QUENLITH_BROWSER_HARNESS, "--tabs",
                               "3", "--size", "480x720", "--screenshot", shot},
                              environment.root() + "/harness.log");
    ASSERT_TRUE(harness.waitForExit(std::chrono::seconds(90))) << harness.output();
    ASSERT_NE(harness.output().find("screenshot taken"), std::string::npos) << harness.output();
    int chrome = -1, page = -1;
    const auto at = harness.output().find("chrome ");
    ASSERT_NE(at, std::string::npos) << harness.output();
    ASSERT_EQ(std::sscanf(harness.output().c_str() + at, "chrome %d page %d", &chrome, &page), 2);
    ASSERT_TRUE(chrome >= 0 && chrome <= 90) << chrome;
    EXPECT_GE(page, 600);

    g_autoptr(GdkPixbuf) image = gdk_pixbuf_new_from_file(shot.c_str(), nullptr);
    ASSERT_NE(image, nullptr);
    ASSERT_GE(gdk_pixbuf_get_width(image), 480);
    ASSERT_GE(gdk_pixbuf_get_height(image), 720);
    // The chrome is drawn: dark icon and text pixels in the title bar.
    auto dark = [](const guchar* p) { return p[0] + p[1] + p[2] < 300; };
    EXPECT_GE(countPixels(image, 0, 0, 480, 46, dark), 200);
    // The page is drawn below the chrome: the active tab's green block (#2fa35a).
    auto green = [](const guchar* p) {
        return std::abs(p[0] - 0x2f) < 12 && std::abs(p[1] - 0xa3) < 12 && std::abs(p[2] - 0x5a) < 12;
    };
    EXPECT_GE(countPixels(image, 0, chrome, 480, 720 - chrome, green), 50000);
}

}  // namespace
}  // namespace quenlith::test
