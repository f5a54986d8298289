#include "ui/DuiImageLoader.h"

#include <cstring>

#include "ui/DuiDraw.h"

namespace dui {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Copies bytes (after the PNG signature when asked) into movable global memory for a stream.
GlobalMemory copyToGlobal(std::span<const std::uint8_t> bytes, bool prefixPngSignature) {
    const SIZE_T prefix = prefixPngSignature ? sizeof kPngSignature : 0;
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + prefix));
    if (!memory) return memory;
    auto* target = static_cast<std::uint8_t*>(GlobalLock(memory.get()));
    if (!target) return GlobalMemory();
    if (prefix) std::memcpy(target, kPngSignature, prefix);
    std::memcpy(target + prefix, bytes.data(), bytes.size());
    GlobalUnlock(memory.get());
    return memory;
}

// A 32-bit ARGB bitmap holding the pixels of image, independent of any stream.
GpImagePtr detachedCopy(Gdiplus::GpImage* image) {
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(image, &width);
    gp::GdipGetImageHeight(image, &height);
    GpImagePtr copy;
    gp::GdipCreateBitmapFromScan0(
        static_cast<INT>(width), static_cast<INT>(height), 0, kPixelFormat32bppArgb, nullptr,
        reinterpret_cast<Gdiplus::GpBitmap**>(static_cast<Gdiplus::GpImage**>(copy.put())));
    if (!copy) return copy;
    GpGraphicsPtr graphics;
    gp::GdipGetImageGraphicsContext(copy.get(), graphics.put());
    gp::GdipDrawImageRectI(graphics.get(), image, 0, 0, static_cast<INT>(width),
                           static_cast<INT>(height));
    return copy;
}

}  // namespace

GpImagePtr loadImageFromBytes(std::span<const std::uint8_t> bytes, bool prefixPngSignature,
                              GlobalMemory* memoryOut, StreamPtr* streamOut) {
    if (bytes.empty()) return GpImagePtr();
    GlobalMemory memory = copyToGlobal(bytes, prefixPngSignature);
    if (!memory) return GpImagePtr();
    // The stream does not free the memory; the memory owner does, after the stream is gone.
    StreamPtr stream;
    if (CreateStreamOnHGlobal(memory.get(), FALSE, stream.put()) != S_OK) return GpImagePtr();
    GpImagePtr image;
    if (gp::GdipLoadImageFromStream(stream.get(), image.put()) != Gdiplus::Ok) {
        image.release();      // whatever a failed decode left there is not ours to dispose
        return GpImagePtr();  // locals go in reverse order: stream before memory
    }
    if (memoryOut && streamOut) {
        *memoryOut = std::move(memory);
        *streamOut = std::move(stream);
        return image;
    }
    GpImagePtr copy = detachedCopy(image.get());
    image.reset();
    return copy;
}

void releaseImage(GpImagePtr& image, GlobalMemory& memory, StreamPtr& stream) {
    image.reset();
    stream.reset();
    memory.reset();
}

}  // namespace dui
