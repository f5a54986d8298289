#include "ui/DuiImage.h"

#include <algorithm>
#include <cstring>

#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiImageLoader.h"

namespace dui {

namespace {

constexpr int kDefaultTransitionSteps = 5;
constexpr int kDefaultTransitionInterval = 60;
constexpr PROPID kFrameDelayTag = 0x5100;
constexpr WORD kTypeLong = 4;
constexpr WORD kTypeSLong = 9;

// The time dimension of multi-frame pictures, made from its text each time it is needed.
GUID timeDimension() {
    GUID dimension{};
    CLSIDFromString(L"{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}", &dimension);
    return dimension;
}

int frameCountOf(Gdiplus::GpImage* image) {
    if (!image) return 0;
    GUID dimension = timeDimension();
    UINT count = 0;
    if (gp::GdipImageGetFrameCount(image, &dimension, &count) != Gdiplus::Ok) count = 0;
    return count == 0 ? 1 : static_cast<int>(count);
}

// The frame delays stored with the picture, or none when it has no usable delay property.
std::vector<int> readFrameDelays(Gdiplus::GpImage* image) {
    std::vector<int> delays;
    UINT size = 0;
    if (!image || gp::GdipGetPropertyItemSize(image, kFrameDelayTag, &size) != Gdiplus::Ok ||
        size < sizeof(Gdiplus::PropertyItem))
        return delays;
    std::vector<std::uint64_t> buffer((size + 7) / 8);  // aligned for the item header
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (gp::GdipGetPropertyItem(image, kFrameDelayTag, size, item) != Gdiplus::Ok) return delays;
    bool usable = (item->type == kTypeLong && item->length != 0) || item->type == kTypeSLong;
    if (!usable || !item->value) return delays;
    // The values follow the header inside the buffer; never read past it.
    const auto* begin = reinterpret_cast<const std::uint8_t*>(buffer.data());
    const auto* values = static_cast<const std::uint8_t*>(item->value);
    std::size_t count = item->length / 4;
    if (values >= begin && values <= begin + size)
        count = std::min<std::size_t>(count, static_cast<std::size_t>(begin + size - values) / 4);
    delays.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::int32_t value = 0;
        std::memcpy(&value, values + i * 4, 4);
        delays[i] = value;
    }
    return delays;
}

// The slot of an image owner as the bitmap out-parameter of the flat API; the owner counts the
// result when the slot goes at the end of the call's full expression.
Gdiplus::GpBitmap** asBitmapOut(GpImagePtr::OutSlot&& slot) {
    return reinterpret_cast<Gdiplus::GpBitmap**>(static_cast<Gdiplus::GpImage**>(slot));
}

}  // namespace

GpImagePtr bitmapFromIcon(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return GpImagePtr();
    BitmapHandle colour(info.hbmColor);
    BitmapHandle mask(info.hbmMask);

    BitmapHandle dib;  // declared before source: a bitmap made on its bits goes first
    GpImagePtr source;
    int width = 0, height = 0;
    if (colour) {
        BITMAP bm{};
        GetObjectW(colour.get(), sizeof bm, &bm);
        width = bm.bmWidth;
        height = bm.bmHeight;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = static_cast<WORD>(std::max<int>(24, bm.bmBitsPixel));
        bi.bmiHeader.biCompression = BI_RGB;
        MemoryDc dc(CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        dib.reset(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        bool copied = dib && bits && width > 0 && height > 0 &&
                      GetDIBits(dc.get(), colour.get(), 0, static_cast<UINT>(height), bits, &bi,
                                DIB_RGB_COLORS) != 0;
        bool hasAlpha = false;
        if (copied && bi.bmiHeader.biBitCount == 32) {
            const auto* pixels = static_cast<const std::uint8_t*>(bits);
            for (int i = 0; i < width * height && !hasAlpha; ++i) hasAlpha = pixels[i * 4 + 3] != 0;
        }
        if (hasAlpha)
            gp::GdipCreateBitmapFromScan0(width, height, width * 4, kPixelFormat32bppArgb,
                                          static_cast<BYTE*>(bits), asBitmapOut(source.put()));
    }
    if (!source) {
        gp::GdipCreateBitmapFromHICON(icon, asBitmapOut(source.put()));
        if (!source) return GpImagePtr();
        if (!colour) {
            UINT w = 0, h = 0;
            gp::GdipGetImageWidth(source.get(), &w);
            gp::GdipGetImageHeight(source.get(), &h);
            width = static_cast<int>(w);
            height = static_cast<int>(h);
        }
    }

    GpImagePtr result;
    gp::GdipCreateBitmapFromScan0(width, height, 0, kPixelFormat32bppArgb, nullptr,
                                  asBitmapOut(result.put()));
    if (!result) return result;
    GpGraphicsPtr graphics;
    gp::GdipGetImageGraphicsContext(result.get(), graphics.put());
    if (!graphics) return GpImagePtr();
    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBilinear);
    gp::GdipDrawImageRectI(graphics.get(), source.get(), 0, 0, width, height);
    return result;
}

DuiImage::~DuiImage() {
    // The class's own teardown (timer, picture) must run while this is still an image.
    if (handle_ && controlFromHandle(handle_) == this) destroy();
}

void DuiImage::releasePicture() {
    releaseImage(image_, imageMemory_, imageStream_);
}

void DuiImage::loadBytes(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());  // bytes may be our own
    releasePicture();
    imageBytes_ = std::move(copy);
    image_ = loadImageFromBytes(imageBytes_, false, &imageMemory_, &imageStream_);
    frameCount_ = frameCountOf(image_.get());
    currentFrame_ = frameCount_ > 0 ? 1 : 0;
    frameDelays_ = readFrameDelays(image_.get());
}

ControlHandle DuiImage::createBase(ControlParent parent, int x, int y, int w, int h,
                                   std::optional<int> visible) {
    if (handle_ && controlFromHandle(handle_) == this) {
        // Created again while live: the new settings take the old place.
        setBounds(x, y, w, h);
        if (visible) DuiControl::visible(*visible);
        repaint();
        return handle_;
    }
    return DuiControl::create(parent,
                              RectF(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(w), static_cast<float>(h)),
                              Image, visible.value_or(1), 1, std::nullopt, 0);
}

ControlHandle DuiImage::create(ControlParent parent, int x, int y, int w, int h,
                               std::span<const std::uint8_t> imageBytes, std::optional<int> playing,
                               std::optional<ArgbColor> backColor, std::optional<int> fixZeroDelays,
                               std::optional<int> drawMode, std::optional<RECT> nineGridMargins,
                               std::optional<int> border, std::optional<int> visible) {
    loadBytes(imageBytes);
    playing_ = playing.value_or(0);
    border_ = border.value_or(0);
    drawMode_ = drawMode.value_or(DrawStretch);
    backColor_ = backColor.value_or(0);
    if (frameDelays_.empty() && image_) frameDelays_ = {kFallbackFrameDelay};
    fixZeroDelays_ = fixZeroDelays.value_or(0);
    if (fixZeroDelays_)
        std::replace(frameDelays_.begin(), frameDelays_.end(), 0, kFallbackFrameDelay);
    nineGridMargins_ = nineGridMargins.value_or(RECT{});
    pendingTransitionKind_ = -1;
    return createBase(parent, x, y, w, h, visible);
}

ControlHandle DuiImage::createFromIcon(ControlParent parent, int x, int y, int w, int h, HICON icon,
                                       std::optional<ArgbColor> backColor,
                                       std::optional<int> drawMode, std::optional<int> border,
                                       std::optional<int> visible) {
    releasePicture();
    imageBytes_.clear();
    image_ = bitmapFromIcon(icon);
    playing_ = 0;
    border_ = border.value_or(0);
    frameCount_ = frameCountOf(image_.get());
    currentFrame_ = frameCount_ > 0 ? 1 : 0;
    drawMode_ = drawMode.value_or(DrawStretch);
    backColor_ = backColor.value_or(0);
    frameDelays_ = {kFallbackFrameDelay};
    return createBase(parent, x, y, w, h, visible);
}

int DuiImage::playing(std::optional<int> value) {
    if (value) {
        currentFrame_ = frameCount_ > 0 ? 1 : 0;
        playing_ = *value;
        repaint();
    }
    return playing_;
}

std::vector<std::uint8_t> DuiImage::image(std::optional<std::span<const std::uint8_t>> bytes,
                                          std::optional<int> transitionKind,
                                          std::optional<int> steps, std::optional<int> interval,
                                          std::optional<int> repaint) {
    if (bytes) {
        pendingTransitionKind_ = transitionKind.value_or(-1);
        DuiControl::transitionKind(pendingTransitionKind_);
        loadBytes(*bytes);
        if (fixZeroDelays_)
            std::replace(frameDelays_.begin(), frameDelays_.end(), 0, kFallbackFrameDelay);
        transitionStarted_ = false;
        if (repaint.value_or(1) != 0) {
            if (transitionKind)
                transition(steps && *steps ? *steps : kDefaultTransitionSteps,
                           interval && *interval ? *interval : kDefaultTransitionInterval);
            this->repaint();
        }
        if (!transitionStarted_ && pendingTransitionKind_ != -1) {
            // No transition runs (not repainted, or hidden): nothing would ever end it, and
            // the animation would stay frozen.
            pendingTransitionKind_ = -1;
            transition(0);
        }
    }
    return imageBytes_;
}

ArgbColor DuiImage::backColor(std::optional<ArgbColor> value) {
    if (value) {
        backColor_ = *value;
        repaint();
    }
    return backColor_;
}

void DuiImage::killFrameTimer() {
    if (hostWindow_ && handle_) KillTimer(hostWindow_, handle_);
    frameTimerInterval_ = -1;
}

int frameDelay(const std::vector<int>& delays, int frame) {
    std::size_t index = static_cast<std::size_t>(frame - 1);
    int delay = frame >= 1 && index < delays.size() ? delays[index] : kFallbackFrameDelay;
    return std::max(0, delay);
}

void DuiImage::drawPicture(Gdiplus::GpGraphics* graphics, const RectF& area) {
    Gdiplus::GpImage* picture = image_.get();
    if (frameCount_ >= 2) {
        // A failed selection leaves the active frame, which is then drawn.
        GUID dimension = timeDimension();
        gp::GdipImageSelectActiveFrame(picture, &dimension, static_cast<UINT>(currentFrame_ - 1));
    }
    switch (drawMode_) {
        case DrawNatural:
            drawImageNatural(graphics, picture, area, false);
            break;
        case DrawStretch:
            gp::GdipDrawImageRect(graphics, picture, area.X, area.Y, area.Width, area.Height);
            break;
        case DrawCenter:
            drawImageNatural(graphics, picture, area, true);
            break;
        case DrawNineGrid: {
            const RECT& m = nineGridMargins_;
            if (IsRectEmpty(&m)) {
                drawImageNatural(graphics, picture, area, false);
            } else {
                RectF centre(static_cast<float>(m.left), static_cast<float>(m.top),
                             static_cast<float>(m.right - m.left),
                             static_cast<float>(m.bottom - m.top));
                drawNineGrid(graphics, picture, area, centre);
            }
            break;
        }
        default:
            break;
    }
}

void DuiImage::paintFrame(ControlHandle) {
    if (currentFrame_ != 0 && disabled_) {
        // The canvas keeps the last frame drawn; the count still runs on.
        ++currentFrame_;
        return;
    }
    if (currentFrame_ > frameCount_ || !playing_) currentFrame_ = frameCount_ > 0 ? 1 : 0;
    PaintContext paint;
    if (beginPaint(*this, paint, std::nullopt, 1)) {
        const RectF& area = paint.area;
        if (backColor_ && paint.graphics) {
            GpBrushPtr brush = createSolidBrush(backColor_);
            gp::GdipFillRectangle(paint.graphics, brush.get(), area.X, area.Y, area.Width - 1,
                                  area.Height - 1);
        }
        if (image_ && paint.graphics) drawPicture(paint.graphics, area);
        if (border_) drawFrame(paint.graphics, area, static_cast<std::uint32_t>(border_));
        if (host_ && host_->focusedControl == handle_) drawFrame(paint.graphics, area, FrameDashed);
        endPaint(*this, paint);
    }
    if (currentFrame_ == 0) return;  // no picture: background and border only
    if (frameCount_ < 2) {
        ++currentFrame_;
        if (frameTimerInterval_ != -1) killFrameTimer();  // left over from an animation
        return;
    }
    killFrameTimer();
    int delay = frameDelay(frameDelays_, currentFrame_);
    ++currentFrame_;
    if (currentFrame_ > frameCount_ || !playing_) currentFrame_ = 1;
    frameTimerInterval_ = delay * 10;
    SetTimer(hostWindow_, handle_, static_cast<UINT>(frameTimerInterval_), nullptr);
}

int DuiImage::handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) {
    switch (code) {
        case WM_DESTROY:
            killFrameTimer();
            currentFrame_ = frameCount_ = playing_ = fixZeroDelays_ = 0;
            releasePicture();
            frameDelays_.clear();
            imageBytes_.clear();
            break;
        case WM_TIMER:
            if (a != handle || pendingTransitionKind_ != -1) break;
            if (!playing_ || frameCount_ == 0)
                killFrameTimer();
            else
                paintFrame(handle);
            break;
        case WM_PAINT:
        case Shown:
            paintFrame(handle);
            break;
        case TransitionStarted:
            transitionStarted_ = true;
            break;
        case TransitionFinished:
            transition(0);
            pendingTransitionKind_ = -1;
            break;
        default:
            return DuiControl::handleMessage(handle, code, a, b);
    }
    return -1;
}

std::unique_ptr<DuiControl> createCaptionIcon(HWND window, HICON icon) {
    auto image = std::make_unique<DuiImage>();
    if (!image->createFromIcon(window, 11, 11, 16, 16, icon)) return nullptr;
    return image;
}

}  // namespace dui
