#include <optional>
#include <utility>

#include <cairo.h>
#include <gtest/gtest.h>

#include "support/test_images.hpp"
#include "ui/icon_image.hpp"

namespace quenlith {
namespace {

using Size = std::optional<std::pair<int, int>>;

Size sizeOf(const Glib::RefPtr<Gdk::Pixbuf>& image) {
    if (!image) return std::nullopt;
    return std::make_pair(image->get_width(), image->get_height());
}

TEST(IconImage, PicturesPastThePixelLimitAreRefusedAndTheRestKeptAtTheShownSize) {
    const std::string small = test::blackPng(64, 64);
    struct Case {
        const char* what;
        std::string bytes;
        int keptSide;
        Size expected;
    };
    const Case cases[] = {
        {"a 769 KB picture of 16,000 x 16,000 pixels", test::blackPng(16000, 16000), 128, std::nullopt},
        {"one side past the limit", test::blackPng(kIconSideLimit + 1, 1), 128, std::nullopt},
        {"the other side past the limit", test::blackPng(2, kIconSideLimit + 1), 128, std::nullopt},
        {"at the limit", test::blackPng(kIconSideLimit, kIconSideLimit), 128, std::make_pair(128, 128)},
        {"wide", test::blackPng(300, 150), 128, std::make_pair(128, 64)},
        {"a line stays a pixel high", test::blackPng(1000, 1), 128, std::make_pair(128, 1)},
        {"and a pixel wide", test::blackPng(1, 1000), 128, std::make_pair(1, 128)},
        {"one pixel", test::blackPng(1, 1), 128, std::make_pair(1, 1)},
        {"small enough", small, 128, std::make_pair(64, 64)},
        {"fitted to a tab", small, 16, std::make_pair(16, 16)},
        {"fitted to a point", small, 1, std::make_pair(1, 1)},
        {"fitted to nothing", small, 0, std::nullopt},
        {"no picture", "<html>not found</html>", 128, std::nullopt},
        {"nothing", "", 128, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(sizeOf(decodeIconImage(c.bytes, c.keptSide)), c.expected) << c.what;
    EXPECT_EQ(sizeOf(decodeIconImage(test::blackPng(512, 256))), std::make_pair(128, 64))
        << "kept at the largest size an icon is shown at";
}

TEST(IconImage, TheBombIsRefusedWithoutTakingItsMemory) {
    const std::string bomb = test::blackPng(16000, 16000);
    if (!test::resetPeakMemory()) GTEST_SKIP() << "the peak memory cannot be reset here";
    const long long before = test::peakMemoryBytes();
    EXPECT_FALSE(decodeIconImage(bomb));
    EXPECT_LT(test::peakMemoryBytes() - before, 32ll << 20) << "768 MB of pixels were allocated";
}

TEST(IconImage, EnginePicturesAreFittedWithoutAFullCopyAndRefusedPastTheLimit) {
    // Red above, blue below.
    auto surface = [](int width, int height) {
        cairo_surface_t* made = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(made);
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_rectangle(cr, 0, 0, width, height / 2.0);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 1);
        cairo_rectangle(cr, 0, height / 2.0, width, height / 2.0);
        cairo_fill(cr);
        cairo_destroy(cr);
        return made;
    };
    // The red, green, blue and alpha of a pixel.
    auto pixel = [](const Glib::RefPtr<Gdk::Pixbuf>& image, int x, int y) {
        const guint8* at = image->get_pixels() + y * image->get_rowstride() + x * image->get_n_channels();
        return std::vector<int>{at[0], at[1], at[2], image->get_has_alpha() ? at[3] : 255};
    };
    cairo_surface_t* wide = surface(64, 32);
    auto fitted = iconImageFromSurface(wide, 16);
    ASSERT_EQ(sizeOf(fitted), std::make_pair(16, 8));
    EXPECT_EQ(pixel(fitted, 0, 0), (std::vector<int>{255, 0, 0, 255})) << "drawn whole";
    EXPECT_EQ(pixel(fitted, 15, 7), (std::vector<int>{0, 0, 255, 255})) << "drawn whole";
    EXPECT_EQ(sizeOf(iconImageFromSurface(wide, 128)), std::make_pair(64, 32)) << "never enlarged";
    EXPECT_FALSE(iconImageFromSurface(wide, 0));
    cairo_surface_destroy(wide);
    // At its own size every pixel stays where it was.
    cairo_surface_t* marked = surface(16, 16);
    cairo_t* cr = cairo_create(marked);
    cairo_set_source_rgb(cr, 0, 1, 0);
    cairo_rectangle(cr, 0, 0, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto same = iconImageFromSurface(marked, 16);
    ASSERT_EQ(sizeOf(same), std::make_pair(16, 16));
    EXPECT_EQ(pixel(same, 0, 0), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(pixel(same, 1, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(same, 0, 1), (std::vector<int>{255, 0, 0, 255}));
    cairo_surface_destroy(marked);

    cairo_surface_t* huge = surface(kIconSideLimit + 1, 4);
    EXPECT_FALSE(iconImageFromSurface(huge, 16));
    cairo_surface_destroy(huge);
    cairo_surface_t* recording = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    EXPECT_FALSE(iconImageFromSurface(recording, 16)) << "not an image surface";
    cairo_surface_destroy(recording);
    EXPECT_FALSE(iconImageFromSurface(nullptr, 16));
}

}  // namespace
}  // namespace quenlith
