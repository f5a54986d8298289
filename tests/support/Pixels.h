// Shared helpers for tests that draw with real GDI+ and read the pixels back: bitmaps to draw
// on, pixel access and counting, colour comparison, and a fixture that starts the toolkit.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "ui/DuiTypes.h"
#include "ui/GdiPlus.h"

namespace dui::test {

// A 32-bit ARGB bitmap with a graphics drawing on it.
struct Surface {
    GpImagePtr bitmap;
    GpGraphicsPtr graphics;
    int width = 0, height = 0;

    ArgbColor at(int x, int y) const;
    Gdiplus::GpGraphics* g() const { return graphics.get(); }
};

// A surface cleared to fill (transparent by default).
Surface makeSurface(int width, int height, ArgbColor fill = 0);
// A bitmap of one colour, for tests that draw images.
GpImagePtr solidBitmap(int width, int height, ArgbColor colour);

ArgbColor pixelAt(Gdiplus::GpImage* bitmap, int x, int y);
void setPixel(Gdiplus::GpImage* bitmap, int x, int y, ArgbColor colour);
struct ImageSize {
    int width = 0, height = 0;
};
ImageSize sizeOf(Gdiplus::GpImage* image);

// Pixels of the image (or of the rectangle x, y, width, height within it) matching test.
int countPixels(Gdiplus::GpImage* bitmap, const std::function<bool(ArgbColor)>& test);
int countPixels(Gdiplus::GpImage* bitmap, int x, int y, int width, int height,
                const std::function<bool(ArgbColor)>& test);

inline int alphaOf(ArgbColor c) {
    return static_cast<int>(c >> 24);
}
inline int redOf(ArgbColor c) {
    return static_cast<int>(c >> 16 & 0xFF);
}
inline int greenOf(ArgbColor c) {
    return static_cast<int>(c >> 8 & 0xFF);
}
inline int blueOf(ArgbColor c) {
    return static_cast<int>(c & 0xFF);
}

// Every channel of actual within tolerance of expected; prints both in hex on failure.
::testing::AssertionResult colourNear(ArgbColor actual, ArgbColor expected, int tolerance = 2);

// Starts the toolkit (GDI+, default font, window class) once for the whole test program.
class ToolkitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
};

}  // namespace dui::test
