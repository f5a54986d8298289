// Helpers for the tests of text controls: encoded one-colour pictures, whole-canvas pixel copies
// and bounding boxes of pixels that pass a test.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "tests/support/Pixels.h"
#include "tests/ui/HostTestSupport.h"

namespace dui::test {

// A 24-bit BMP file of one colour (red, green, blue), which GDI+ decodes as opaque.
inline std::vector<std::uint8_t> solidBmp(int width, int height, std::uint8_t red,
                                          std::uint8_t green, std::uint8_t blue) {
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * height);
    std::vector<std::uint8_t> file(14 + 40 + pixelBytes, 0);
    auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&file[at], &v, 2); };
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
    put16(0, 0x4D42);  // "BM"
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    put16(26, 1);
    put16(28, 24);
    put32(34, pixelBytes);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &file[54 + static_cast<std::size_t>(y * stride + x * 3)];
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
    }
    return file;
}

// Every pixel of an image, row by row.
inline std::vector<ArgbColor> pixelsOf(Gdiplus::GpImage* image) {
    ImageSize size = sizeOf(image);
    std::vector<ArgbColor> pixels;
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) pixels.push_back(pixelAt(image, x, y));
    return pixels;
}

struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; all -1 when nothing matched
    bool operator==(const Box&) const = default;
};

// The smallest box holding every pixel that passes test.
inline Box boxOf(Gdiplus::GpImage* image, const std::function<bool(ArgbColor)>& test) {
    ImageSize size = sizeOf(image);
    Box box;
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            if (!test(pixelAt(image, x, y))) continue;
            if (box.left < 0 || x < box.left) box.left = x;
            if (box.right < x) box.right = x;
            if (box.top < 0) box.top = y;
            box.bottom = y;
        }
    }
    return box;
}

// Live GDI+ objects gained over work(1) .. work(times); work(0) runs first to fill shared caches.
inline long leakedOver(int times, const std::function<void(int)>& work) {
    work(0);
    pumpFor(20);
    const long live = liveGdiPlusObjects();
    for (int i = 1; i <= times; ++i) work(i);
    pumpFor(50);
    return liveGdiPlusObjects() - live;
}

inline void PrintTo(const Box& b, std::ostream* os) {
    *os << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

}  // namespace dui::test
