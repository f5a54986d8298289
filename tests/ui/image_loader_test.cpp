#include "ui/DuiImageLoader.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "resources/Embedded.h"
#include "tests/support/Pixels.h"

namespace dui {
namespace {

using ImageLoaderTest = test::ToolkitTest;

TEST_F(ImageLoaderTest, RefusesEmptyAndUndecodableBytes) {
    const long before = liveGdiPlusObjects();
    EXPECT_FALSE(loadImageFromBytes({}, false));
    EXPECT_FALSE(loadImageFromBytes({}, true));
    const std::vector<std::uint8_t> junk(64, 0x5A);
    GlobalMemory memory;
    StreamPtr stream;
    EXPECT_FALSE(loadImageFromBytes(junk, false, &memory, &stream));
    EXPECT_FALSE(memory);
    EXPECT_FALSE(stream);
    EXPECT_EQ(liveGdiPlusObjects(), before);
    EXPECT_EQ(GlobalMemory::live(), 0);
    EXPECT_EQ(StreamPtr::live(), 0);
}

TEST_F(ImageLoaderTest, DetachedCopyIs32BitArgb) {
    GpImagePtr icon = loadImageFromBytes(res::larkbridge_ico, false);
    ASSERT_TRUE(icon);
    Gdiplus::PixelFormat format = 0;
    gp::GdipGetImagePixelFormat(icon.get(), &format);
    EXPECT_EQ(format, static_cast<Gdiplus::PixelFormat>(PixelFormat32bppARGB));
    EXPECT_GT(test::sizeOf(icon.get()).width, 0);
    // Nothing of the decoding stays behind.
    EXPECT_EQ(GlobalMemory::live(), 0);
    EXPECT_EQ(StreamPtr::live(), 0);
}

TEST_F(ImageLoaderTest, KeptStreamLivesUntilReleased) {
    GlobalMemory memory;
    StreamPtr stream;
    GpImagePtr image = loadImageFromBytes(res::caption_sprite_png, true, &memory, &stream);
    ASSERT_TRUE(image);
    EXPECT_TRUE(memory);
    EXPECT_TRUE(stream);
    EXPECT_EQ(test::sizeOf(image.get()).width, 729);
    // The image still reads from its stream.
    EXPECT_GT(test::countPixels(image.get(), 0, 0, 39, 20,
                                [](ArgbColor c) { return test::alphaOf(c) > 100; }),
              8);
    releaseImage(image, memory, stream);
    EXPECT_FALSE(image);
    EXPECT_FALSE(memory);
    EXPECT_FALSE(stream);
}

// Every pixel of two images of the same size, compared.
int differingPixels(Gdiplus::GpImage* a, Gdiplus::GpImage* b) {
    const test::ImageSize size = test::sizeOf(a);
    EXPECT_EQ(size.width, test::sizeOf(b).width);
    EXPECT_EQ(size.height, test::sizeOf(b).height);
    int differing = 0;
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            if (test::pixelAt(a, x, y) != test::pixelAt(b, x, y)) ++differing;
    return differing;
}

TEST_F(ImageLoaderTest, RepeatedDecodesComeFromTheCacheAsIndependentCopies) {
    clearImageCache();
    GpImagePtr first = loadImageFromBytes(res::node_frame_png, false);
    ASSERT_TRUE(first);
    const long cached = cachedImageCount();
    EXPECT_EQ(cached, 1);
    GpImagePtr second = loadImageFromBytes(res::node_frame_png, false);
    ASSERT_TRUE(second);
    EXPECT_EQ(cachedImageCount(), cached);
    EXPECT_EQ(differingPixels(first.get(), second.get()), 0);
    // A caller drawing on its copy changes neither the cache nor the other copies.
    test::setPixel(second.get(), 3, 3, 0xFF123456);
    GpImagePtr third = loadImageFromBytes(res::node_frame_png, false);
    EXPECT_EQ(differingPixels(first.get(), third.get()), 0);
    // Bytes that differ in one byte are another picture; equal bytes elsewhere are the same one.
    std::vector<std::uint8_t> copy(res::node_frame_lit_png.begin(), res::node_frame_lit_png.end());
    GpImagePtr lit = loadImageFromBytes(copy, false);
    ASSERT_TRUE(lit);
    EXPECT_GT(differingPixels(first.get(), lit.get()), 0);
    EXPECT_EQ(cachedImageCount(), cached + 1);
}

TEST_F(ImageLoaderTest, TheCacheStaysBoundedWhateverIsDecoded) {
    clearImageCache();
    for (int i = 1; i <= 80; ++i) ASSERT_TRUE(loadStretchedImage(res::close_png, i, 26));
    EXPECT_LE(cachedImageCount(), 48);
    EXPECT_FALSE(loadStretchedImage(res::close_png, 0, 10));
    EXPECT_FALSE(loadStretchedImage({}, 10, 10));
    // Large pictures are never kept.
    std::vector<std::uint8_t> big(res::window_background_png.begin(),
                                  res::window_background_png.end());
    big.resize(300 * 1024);  // trailing bytes after the PNG's end are ignored by the decoder
    clearImageCache();
    EXPECT_TRUE(loadImageFromBytes(big, false));
    EXPECT_EQ(cachedImageCount(), 0);
    // Nor are small files that decode to large bitmaps.
    EXPECT_TRUE(loadStretchedImage(res::close_png, 600, 600));
    EXPECT_EQ(cachedImageCount(), 1);  // the 26 x 26 decode only
}

}  // namespace
}  // namespace dui
