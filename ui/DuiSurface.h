// An off-screen drawing surface: a memory DC with a 32-bit top-to-bottom-stored DIB selected into
// it and, when asked, a GDI+ graphics on it. The host's frame, background and fade pictures and
// the process-wide scratch area of transitions are surfaces.
#pragma once

#include <cstdint>

#include "ui/GdiPlus.h"
#include "ui/UniqueHandle.h"

namespace dui {

class Surface {
public:
    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface() { release(); }

    // Replaces what the surface holds by a new DC compatible with compatibleDc (null: the screen)
    // and a width x height 32-bpp DIB; withGraphics adds a GDI+ graphics (anti-aliased shapes and
    // text) on the DC.
    void create(HDC compatibleDc, int width, int height, bool withGraphics);
    // Graphics first, then the DIB is selected out and deleted, then the DC.
    void release();

    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    Gdiplus::GpGraphics* graphics() const { return graphics_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    explicit operator bool() const { return static_cast<bool>(dc_); }
    // Pixel (x, y) as 0xAARRGGBB, for tests and colour sampling; 0 outside the surface.
    std::uint32_t pixel(int x, int y) const;

private:
    MemoryDc dc_;
    BitmapHandle bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;  // the DC's stock bitmap, not owned
    GpGraphicsPtr graphics_;
    std::uint32_t* bits_ = nullptr;  // owned by bitmap_
    int width_ = 0;
    int height_ = 0;
};

// The process-wide scratch surface of cross-fades; it only grows and lives until the process ends.
Surface& scratchSurface();
void ensureScratchSurface(int width, int height);

}  // namespace dui
