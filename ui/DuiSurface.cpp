#include "ui/DuiSurface.h"

#include <algorithm>

namespace dui {

void Surface::create(HDC compatibleDc, int width, int height, bool withGraphics) {
    release();
    dc_.reset(CreateCompatibleDC(compatibleDc));
    if (!dc_) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * height * 4;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap_) {
        oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
        bits_ = static_cast<std::uint32_t*>(bits);
        width_ = width;
        height_ = height;
    }
    if (withGraphics) {
        gp::GdipCreateFromHDC(dc_.get(), graphics_.put());
        if (graphics_) {
            gp::GdipSetSmoothingMode(graphics_.get(), Gdiplus::SmoothingModeAntiAlias);
            gp::GdipSetTextRenderingHint(graphics_.get(),
                                         Gdiplus::TextRenderingHintAntiAliasGridFit);
        }
    }
}

void Surface::release() {
    graphics_.reset();
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
    oldBitmap_ = nullptr;
    bitmap_.reset();
    dc_.reset();
    bits_ = nullptr;
    width_ = height_ = 0;
}

std::uint32_t Surface::pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    if (graphics_) gp::GdipFlush(graphics_.get(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    return bits_[static_cast<std::size_t>(height_ - 1 - y) * width_ + x];
}

Surface& scratchSurface() {
    // Deliberately never destroyed: shared by every host until the process ends.
    static Surface* surface = new Surface;
    return *surface;
}

void ensureScratchSurface(int width, int height) {
    Surface& scratch = scratchSurface();
    if (scratch && scratch.width() >= width && scratch.height() >= height) return;
    scratch.create(nullptr, std::max(width, scratch.width()), std::max(height, scratch.height()),
                   true);
}

}  // namespace dui
