// Turns the encoded pictures the program ships (PNG, ICO, GIF bytes) into GDI+ images.
#pragma once

#include <cstdint>
#include <span>

#include "ui/GdiPlus.h"
#include "ui/UniqueHandle.h"

namespace dui {

// Decodes bytes from memory. With prefixPngSignature the 8-byte PNG signature is put in front
// first (for PNGs stored without it). Without memoryOut and streamOut the result is a detached
// 32-bit ARGB copy; with both, the decoded image itself is returned and its backing memory and
// stream are handed out too (multi-frame GIFs need them alive). Null on any failure.
// Detached copies come from a cache of earlier decodes of the same bytes when there is one.
GpImagePtr loadImageFromBytes(std::span<const std::uint8_t> bytes, bool prefixPngSignature,
                              GlobalMemory* memoryOut = nullptr, StreamPtr* streamOut = nullptr);

// bytes decoded and stretched over a width x height bitmap, as drawing them over that rectangle
// of a fresh control canvas would; null on failure. Resampling is slow, so copies are cached.
GpImagePtr loadStretchedImage(std::span<const std::uint8_t> bytes, int width, int height);

// Decoded pictures kept by loadImageFromBytes, so the same bytes are decoded only once (buttons
// decode their skin on every paint). Bounded; tests read the count.
long cachedImageCount();
void clearImageCache();

// Frees, in this order, an image, its stream and its memory; each owner is left empty.
void releaseImage(GpImagePtr& image, GlobalMemory& memory, StreamPtr& stream);

}  // namespace dui
