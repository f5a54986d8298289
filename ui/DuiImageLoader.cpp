#include "ui/DuiImageLoader.h"

#include <cstring>
#include <list>
#include <mutex>
#include <vector>

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

// A new transparent 32-bit ARGB bitmap.
GpImagePtr newArgbBitmap(INT width, INT height) {
    GpImagePtr bitmap;
    gp::GdipCreateBitmapFromScan0(
        width, height, 0, kPixelFormat32bppArgb, nullptr,
        reinterpret_cast<Gdiplus::GpBitmap**>(static_cast<Gdiplus::GpImage**>(bitmap.put())));
    return bitmap;
}

// A 32-bit ARGB bitmap holding the pixels of image, independent of any stream.
GpImagePtr detachedCopy(Gdiplus::GpImage* image) {
    UINT width = 0, height = 0;
    gp::GdipGetImageWidth(image, &width);
    gp::GdipGetImageHeight(image, &height);
    GpImagePtr copy = newArgbBitmap(static_cast<INT>(width), static_cast<INT>(height));
    if (!copy) return copy;
    GpGraphicsPtr graphics;
    gp::GdipGetImageGraphicsContext(copy.get(), graphics.put());
    gp::GdipDrawImageRectI(graphics.get(), image, 0, 0, static_cast<INT>(width),
                           static_cast<INT>(height));
    return copy;
}

// The cache's images are counted apart from the images handed out: it holds a bounded number
// that does not change with the work a caller repeats.
struct CachedImageTraits : GdipTraits<Gdiplus::GpImage, gp::GdipDisposeImage> {};
using CachedImagePtr = UniqueHandle<CachedImageTraits>;

struct CacheEntry {
    std::vector<std::uint8_t> bytes;  // compared whole: a hash alone could hand out a wrong picture
    bool prefixPngSignature = false;
    int width = 0, height = 0;  // a stretched copy's size; 0 for the picture as decoded
    CachedImagePtr image;
};

constexpr std::size_t kCacheEntries = 48;
// Larger pictures (an advert, a background) are decoded each time rather than kept; a small file
// can still decode to a huge bitmap, so the pixels are bounded too (1 MiB of them).
constexpr std::size_t kMaxCachedBytes = 256 * 1024;
constexpr UINT kMaxCachedPixels = 512 * 512;

struct ImageCache {
    std::mutex lock;
    std::list<CacheEntry> entries;  // most recently used first
};

ImageCache& imageCache() {
    static ImageCache cache;
    return cache;
}

GpImagePtr cloneImage(Gdiplus::GpImage* image) {
    GpImagePtr copy;
    gp::GdipCloneImage(image, copy.put());
    return copy;
}

// A copy of the cached decode of bytes (stretched to width x height when those are not 0), or
// null when there is none.
GpImagePtr findCached(std::span<const std::uint8_t> bytes, bool prefixPngSignature, int width = 0,
                      int height = 0) {
    ImageCache& cache = imageCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    for (auto it = cache.entries.begin(); it != cache.entries.end(); ++it) {
        if (it->prefixPngSignature != prefixPngSignature || it->width != width ||
            it->height != height || it->bytes.size() != bytes.size() ||
            std::memcmp(it->bytes.data(), bytes.data(), bytes.size()) != 0)
            continue;
        cache.entries.splice(cache.entries.begin(), cache.entries, it);
        return cloneImage(it->image.get());
    }
    return GpImagePtr();
}

void remember(std::span<const std::uint8_t> bytes, bool prefixPngSignature,
              Gdiplus::GpImage* image, int width = 0, int height = 0) {
    UINT imageWidth = 0, imageHeight = 0;
    gp::GdipGetImageWidth(image, &imageWidth);
    gp::GdipGetImageHeight(image, &imageHeight);
    if (bytes.size() > kMaxCachedBytes || imageWidth * imageHeight > kMaxCachedPixels) return;
    GpImagePtr copy = cloneImage(image);
    if (!copy) return;
    ImageCache& cache = imageCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.entries.push_front(CacheEntry{std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                        prefixPngSignature, width, height,
                                        CachedImagePtr(copy.release())});
    if (cache.entries.size() > kCacheEntries) cache.entries.pop_back();
}

}  // namespace

long cachedImageCount() {
    return CachedImagePtr::live();
}

void clearImageCache() {
    ImageCache& cache = imageCache();
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.entries.clear();
}

GpImagePtr loadImageFromBytes(std::span<const std::uint8_t> bytes, bool prefixPngSignature,
                              GlobalMemory* memoryOut, StreamPtr* streamOut) {
    if (bytes.empty()) return GpImagePtr();
    const bool detached = !(memoryOut && streamOut);
    if (detached) {
        if (GpImagePtr cached = findCached(bytes, prefixPngSignature)) return cached;
    }
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
    if (!detached) {
        *memoryOut = std::move(memory);
        *streamOut = std::move(stream);
        return image;
    }
    GpImagePtr copy = detachedCopy(image.get());
    image.reset();
    if (copy) remember(bytes, prefixPngSignature, copy.get());
    return copy;
}

GpImagePtr loadStretchedImage(std::span<const std::uint8_t> bytes, int width, int height) {
    if (width <= 0 || height <= 0) return GpImagePtr();
    if (GpImagePtr cached = findCached(bytes, false, width, height)) return cached;
    GpImagePtr decoded = loadImageFromBytes(bytes, false);
    if (!decoded) return decoded;
    GpImagePtr stretched = newArgbBitmap(width, height);
    if (!stretched) return stretched;
    {
        // Drawn as a control's fresh canvas would draw it.
        GpGraphicsPtr graphics;
        gp::GdipGetImageGraphicsContext(stretched.get(), graphics.put());
        if (!graphics) return GpImagePtr();
        gp::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
        gp::GdipDrawImageRect(graphics.get(), decoded.get(), 0, 0, static_cast<float>(width),
                              static_cast<float>(height));
    }
    remember(bytes, false, stretched.get(), width, height);
    return stretched;
}

void releaseImage(GpImagePtr& image, GlobalMemory& memory, StreamPtr& stream) {
    image.reset();
    stream.reset();
    memory.reset();
}

}  // namespace dui
