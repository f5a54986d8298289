#include "ui/DuiImageLoader.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace dui
