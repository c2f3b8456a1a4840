#include "resources/dialog_art.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace lvx::art {
namespace {

struct Mean {
    double r = 0, g = 0, b = 0;
};

// The mean colour of one column of an opaque picture.
Mean ColumnMean(const Image& img, int32_t x) {
    Mean m;
    for (int32_t y = 0; y < img.height; ++y) {
        m.r += Red(img.At(x, y));
        m.g += Green(img.At(x, y));
        m.b += Blue(img.At(x, y));
    }
    m.r /= img.height;
    m.g /= img.height;
    m.b /= img.height;
    return m;
}

TEST(DialogArt, PicturesHaveTheirDesignSizesTimesTheDpi) {
    struct Row {
        const char* name;
        Image (*draw)(int32_t dpi);
        int32_t w, h;
    };
    const Row rows[] = {
        {"Pic_Mbl", MetalStrip, 542, 24},
        {"Img_HH", HeadingBar, 95, 22},
        {"Img_Off", [](int32_t d) { return ButtonPicture(false, d); }, 95, 22},
        {"Img_On", [](int32_t d) { return ButtonPicture(true, d); }, 95, 22},
        {"Img_Opt_off", [](int32_t d) { return RadioMark(false, d); }, 13, 13},
        {"Img_Opt_on", [](int32_t d) { return RadioMark(true, d); }, 13, 13},
        {"Img_Ra(0)", [](int32_t d) { return CheckMark(false, d); }, 12, 12},
        {"Img_Ra(1)", [](int32_t d) { return CheckMark(true, d); }, 12, 12},
    };
    for (const Row& r : rows) {
        for (int32_t dpi : {96, 144, 192}) {
            const Image img = r.draw(dpi);
            EXPECT_EQ(img.width, (r.w * dpi + 48) / 96) << r.name << " at " << dpi;
            EXPECT_EQ(img.height, (r.h * dpi + 48) / 96) << r.name << " at " << dpi;
            EXPECT_EQ(img.pixels.size(), static_cast<size_t>(img.width) * img.height);
        }
    }
}

TEST(DialogArt, MetalStripRunsFromLightGreyToMauveGrey) {
    for (int32_t dpi : {96, 192}) {
        const Image strip = MetalStrip(dpi);
        const Mean left = ColumnMean(strip, 0), right = ColumnMean(strip, strip.width - 1);
        EXPECT_NEAR(left.r, 223, 4) << dpi;
        EXPECT_NEAR(left.g, 223, 4) << dpi;
        EXPECT_NEAR(left.b, 223, 4) << dpi;
        EXPECT_NEAR(right.r, 175, 4) << dpi;
        EXPECT_NEAR(right.g, 168, 4) << dpi;
        EXPECT_NEAR(right.b, 175, 4) << dpi;
        std::set<uint32_t> colours;
        for (uint32_t p : strip.pixels) {
            ASSERT_EQ(Alpha(p), 255u);
            colours.insert(p);
        }
        // Brushed, not flat.
        EXPECT_GT(colours.size(), 100u);
    }
}

TEST(DialogArt, MarksShowTheirStateInTheMiddle) {
    auto centre = [](const Image& img) { return img.At(img.width / 2, img.height / 2); };
    auto reddish = [](uint32_t p) { return Red(p) > 150 && Green(p) < 90 && Blue(p) < 90; };
    auto bluish = [](uint32_t p) { return Blue(p) > 150 && Red(p) < 120; };
    for (int32_t dpi : {96, 192}) {
        EXPECT_TRUE(reddish(centre(RadioMark(true, dpi)))) << dpi;
        const Image off = RadioMark(false, dpi);
        for (uint32_t p : off.pixels) EXPECT_FALSE(Alpha(p) > 0 && reddish(p));
        EXPECT_TRUE(bluish(centre(CheckMark(true, dpi)))) << dpi;
        const uint32_t clear = centre(CheckMark(false, dpi));
        EXPECT_GT(Red(clear) + Green(clear) + Blue(clear), 3u * 220) << dpi;
        // Round marks and bars leave their corners clear for the texture.
        EXPECT_EQ(Alpha(off.At(0, 0)), 0u);
        const Image bar = HeadingBar(dpi);
        EXPECT_EQ(Alpha(bar.At(0, 0)), 0u);
        EXPECT_EQ(Alpha(bar.At(bar.width - 1, bar.height - 1)), 0u);
        EXPECT_EQ(Alpha(centre(bar)), 255u);
    }
    const uint32_t released = ButtonPicture(false, 96).At(47, 14), held = ButtonPicture(true, 96).At(47, 14);
    EXPECT_GT(Blue(released), Red(released) + 60);
    EXPECT_GT(Red(held) + Green(held), Red(released) + Green(released));  // lighter when held
}

TEST(DialogArt, HandCursorPointsWithTheIndexFinger) {
    struct Row {
        int32_t dpi, size, hotX, hotY;
    };
    for (const Row& r : {Row{96, 32, 12, 1}, Row{144, 48, 18, 2}, Row{192, 64, 24, 2}}) {
        const Cursor hand = HandCursor(r.dpi);
        ASSERT_EQ(hand.image.width, r.size);
        ASSERT_EQ(hand.image.height, r.size);
        EXPECT_EQ(hand.hotX, r.hotX) << r.dpi;
        EXPECT_EQ(hand.hotY, r.hotY) << r.dpi;
        // The tip: an outline pixel with nothing above it.
        EXPECT_EQ(hand.image.At(hand.hotX, hand.hotY), Argb(255, 0, 0, 0)) << r.dpi;
        EXPECT_EQ(Alpha(hand.image.At(hand.hotX, hand.hotY - 1)), 0u) << r.dpi;
        // Black, white or clear only, so it fits a 16-colour cursor.
        std::set<uint32_t> colours;
        for (uint32_t p : hand.image.pixels) colours.insert(Alpha(p) == 0 ? 0 : p);
        EXPECT_EQ(colours, (std::set<uint32_t>{0, Argb(255, 0, 0, 0), Argb(255, 255, 255, 255)})) << r.dpi;
        // The finger is the hand's highest point.
        for (int32_t y = 0; y < hand.hotY; ++y) {
            for (int32_t x = 0; x < r.size; ++x) EXPECT_EQ(Alpha(hand.image.At(x, y)), 0u);
        }
    }
}

TEST(DialogArt, WindowIconFitsTwoHundredAndFiftySixColours) {
    for (int32_t size : {16, 32, 48, 64}) {
        const Image icon = WindowIcon(size);
        ASSERT_EQ(icon.width, size);
        const Indexed indexed = ToPalette(icon);
        ASSERT_FALSE(indexed.palette.empty()) << size;
        EXPECT_LE(indexed.palette.size(), 256u);
        EXPECT_GT(indexed.palette.size(), 8u);  // gradients, not a flat picture
        for (size_t i = 0; i < icon.pixels.size(); ++i) {
            ASSERT_EQ(indexed.palette[indexed.indices[i]], icon.pixels[i] & 0xFFFFFF);
        }
    }
    // More than 256 colours cannot be a palette.
    Image many(300, 1);
    for (int32_t x = 0; x < 300; ++x) many.At(x, 0) = Argb(255, 0, static_cast<uint32_t>(x / 256), x % 256);
    EXPECT_TRUE(ToPalette(many).palette.empty());
    many.At(299, 0) = many.At(0, 0);
    many.pixels.resize(256);
    many.width = 256;
    EXPECT_EQ(ToPalette(many).palette.size(), 256u);
}

}  // namespace
}  // namespace lvx::art
