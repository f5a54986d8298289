#include "tests/support/Pixels.h"

#include <cstdio>
#include <cstdlib>

#include "ui/DuiToolkit.h"

namespace dui::test {

namespace {

Gdiplus::GpBitmap* bitmapOf(Gdiplus::GpImage* image) {
    return reinterpret_cast<Gdiplus::GpBitmap*>(image);
}

}  // namespace

ArgbColor Surface::at(int x, int y) const {
    return pixelAt(bitmap.get(), x, y);
}

Surface makeSurface(int width, int height, ArgbColor fill) {
    Surface surface;
    surface.width = width;
    surface.height = height;
    gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr,
                                  reinterpret_cast<Gdiplus::GpBitmap**>(
                                      static_cast<Gdiplus::GpImage**>(surface.bitmap.put())));
    gp::GdipGetImageGraphicsContext(surface.bitmap.get(), surface.graphics.put());
    gp::GdipGraphicsClear(surface.graphics.get(), fill);
    return surface;
}

GpImagePtr solidBitmap(int width, int height, ArgbColor colour) {
    Surface surface = makeSurface(width, height, colour);
    return std::move(surface.bitmap);
}

ArgbColor pixelAt(Gdiplus::GpImage* bitmap, int x, int y) {
    Gdiplus::ARGB colour = 0;
    EXPECT_EQ(gp::GdipBitmapGetPixel(bitmapOf(bitmap), x, y, &colour), Gdiplus::Ok)
        << "pixel " << x << "," << y;
    return colour;
}

void setPixel(Gdiplus::GpImage* bitmap, int x, int y, ArgbColor colour) {
    EXPECT_EQ(gp::GdipBitmapSetPixel(bitmapOf(bitmap), x, y, colour), Gdiplus::Ok);
}

ImageSize sizeOf(Gdiplus::GpImage* image) {
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(image, &width);
    gp::GdipGetImageHeight(image, &height);
    return {static_cast<int>(width), static_cast<int>(height)};
}

int countPixels(Gdiplus::GpImage* bitmap, int x, int y, int width, int height,
                const std::function<bool(ArgbColor)>& test) {
    int count = 0;
    for (int py = y; py < y + height; ++py)
        for (int px = x; px < x + width; ++px)
            if (test(pixelAt(bitmap, px, py))) ++count;
    return count;
}

int countPixels(Gdiplus::GpImage* bitmap, const std::function<bool(ArgbColor)>& test) {
    const ImageSize size = sizeOf(bitmap);
    return countPixels(bitmap, 0, 0, size.width, size.height, test);
}

::testing::AssertionResult colourNear(ArgbColor actual, ArgbColor expected, int tolerance) {
    const int shifts[4] = {24, 16, 8, 0};
    for (int shift : shifts) {
        const int a = static_cast<int>(actual >> shift & 0xFF);
        const int e = static_cast<int>(expected >> shift & 0xFF);
        if (std::abs(a - e) > tolerance) {
            char text[80];
            std::snprintf(text, sizeof text, "0x%08lX is not within %d of 0x%08lX",
                          static_cast<unsigned long>(actual), tolerance,
                          static_cast<unsigned long>(expected));
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

void ToolkitTest::SetUpTestSuite() {
    initToolkit();
}

}  // namespace dui::test
