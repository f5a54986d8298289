#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/ui/HostTestSupport.h"
#include "ui/DuiImage.h"

#include <psapi.h>

namespace dui {
namespace {

using test::alphaOf;
using test::blueOf;
using test::colourNear;
using test::greenOf;
using test::HostTest;
using test::kBlue;
using test::kRed;
using test::pixelAt;
using test::pumpFor;
using test::pumpUntil;
using test::redOf;

using Bytes = std::vector<std::uint8_t>;

// Palette of the test GIFs, by index.
constexpr ArgbColor kPalette[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
constexpr int kNoDelay = -1;

struct GifFrame {
    int colour;  // palette index filling the frame
    int delay;   // hundredths of a second; kNoDelay: no graphic control extension
};

void put16(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
}

// The LZW data of a frame filled with one index: a clear code before every pixel keeps every
// code 3 bits wide and the decoder's table empty.
Bytes lzwFill(int pixels, int index) {
    Bytes out;
    std::uint32_t acc = 0;
    int bits = 0;
    auto code = [&](int c) {
        acc |= static_cast<std::uint32_t>(c) << bits;
        bits += 3;
        while (bits >= 8) {
            out.push_back(static_cast<std::uint8_t>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    for (int i = 0; i < pixels; ++i) {
        code(4);  // clear
        code(index);
    }
    code(5);  // end of information
    if (bits) out.push_back(static_cast<std::uint8_t>(acc & 0xFF));
    return out;
}

// A looping GIF89a of width x height, one full-size frame per entry.
Bytes makeGif(int width, int height, const std::vector<GifFrame>& frames) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, width);
    put16(out, height);
    out.insert(out.end(), {0x81, 0, 0});  // global table of 4 colours
    for (ArgbColor c : kPalette)
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(redOf(c)), static_cast<std::uint8_t>(greenOf(c)),
                    static_cast<std::uint8_t>(blueOf(c))});
    const char* loop = "NETSCAPE2.0";
    out.insert(out.end(), {0x21, 0xFF, 11});
    out.insert(out.end(), loop, loop + 11);
    out.insert(out.end(), {3, 1, 0, 0, 0});
    for (const GifFrame& f : frames) {
        if (f.delay != kNoDelay) {
            out.insert(out.end(), {0x21, 0xF9, 4, 0x04});  // disposal: leave in place
            put16(out, f.delay);
            out.insert(out.end(), {0, 0});
        }
        out.push_back(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out.push_back(0);
        out.push_back(2);  // minimum code size
        Bytes data = lzwFill(width * height, f.colour);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            std::size_t n = std::min<std::size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + at, data.begin() + at + n);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

// A PNG of one colour, encoded by GDI+.
Bytes makePng(int width, int height, ArgbColor colour) {
    GpImagePtr bitmap = test::solidBitmap(width, height, colour);
    StreamPtr stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    CLSID png{};
    CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png);
    Bytes out;
    if (!stream || gp::GdipSaveImageToStream(bitmap.get(), stream.get(), &png, nullptr) != 0)
        return out;
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream.get(), &memory);
    STATSTG stat{};
    stream.get()->Stat(&stat, STATFLAG_NONAME);
    auto* data = static_cast<const std::uint8_t*>(GlobalLock(memory));
    if (data) out.assign(data, data + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return out;
}

const Bytes& threeFrameGif() {
    static const Bytes gif = makeGif(4, 4, {{0, 10}, {1, 20}, {2, 30}});
    return gif;
}

class ImageTest : public HostTest {
protected:
    // Delivers the animation timer's tick as the host does.
    void tick(DuiImage& image) { dispatchMessage(image.handle(), WM_TIMER, image.handle(), 0); }
    void transitionTick(DuiControl& c) { c.transitionTick(window, WM_TIMER, c.handle() + 1, 0); }
    static ArgbColor centre(DuiImage& image) {
        return pixelAt(image.canvas(), image.width() / 2, image.height() / 2);
    }
};

TEST_F(ImageTest, AGifShowsEachFrameForItsOwnDelayAndLoops) {
    DuiImage image;
    ASSERT_NE(image.create(window, 10, 10, 20, 20, threeFrameGif(), 1), 0u);
    ASSERT_NE(image.picture(), nullptr);
    EXPECT_EQ(image.frameCount(), 3);
    EXPECT_EQ(image.frameDelays(), (std::vector<int>{10, 20, 30}));
    // The first paint drew frame 1 and set the timer for its 100 ms.
    EXPECT_TRUE(colourNear(centre(image), kPalette[0]));
    EXPECT_EQ(image.frameTimerInterval(), 100);
    EXPECT_EQ(image.currentFrame(), 2);
    struct Step {
        int colour, interval;
    } steps[] = {{1, 200}, {2, 300}, {0, 100}, {1, 200}};
    for (const Step& s : steps) {
        tick(image);
        EXPECT_TRUE(colourNear(centre(image), kPalette[s.colour])) << "frame " << s.colour + 1;
        EXPECT_EQ(image.frameTimerInterval(), s.interval) << "frame " << s.colour + 1;
    }
    EXPECT_TRUE(colourNear(px(20, 20), kPalette[1]));  // and the frame reached the window

    // The real timer drives it the same way: every frame change waits at least its delay.
    std::vector<std::pair<int, DWORD>> changes;  // (frame drawn next, time)
    host->setMessageHook([&](HWND, UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_TIMER && wParam == image.handle())
            changes.emplace_back(image.currentFrame(), GetTickCount());
        return -1;
    });
    DWORD start = GetTickCount();
    ASSERT_TRUE(pumpUntil([&] { return changes.size() >= 4; }, 3000));
    host->setMessageHook(nullptr);
    // changes[i] draws frame f and follows the frame before it, shown for that one's delay.
    DWORD previous = start;
    for (std::size_t i = 0; i < 4; ++i) {
        int shownBefore = changes[i].first == 1 ? 3 : changes[i].first - 1;
        if (i > 0) {
            EXPECT_GE(changes[i].second - previous + 15, DWORD(shownBefore * 100)) << i;
        }
        previous = changes[i].second;
    }
}

TEST_F(ImageTest, StoppingRepaintsFrameOneAndTheNextTickKillsTheTimer) {
    DuiImage image;
    image.create(window, 10, 10, 20, 20, threeFrameGif(), 1);
    tick(image);
    ASSERT_TRUE(colourNear(centre(image), kPalette[1]));
    image.playing(0);
    EXPECT_EQ(image.playing(), 0);
    EXPECT_TRUE(colourNear(centre(image), kPalette[0]));
    EXPECT_EQ(image.currentFrame(), 1);
    tick(image);
    EXPECT_EQ(image.frameTimerInterval(), -1);
    EXPECT_TRUE(colourNear(centre(image), kPalette[0]));
    // Playing again starts over at frame 1.
    image.playing(1);
    EXPECT_EQ(image.currentFrame(), 2);
    EXPECT_EQ(image.frameTimerInterval(), 100);
}

TEST_F(ImageTest, ADisabledAnimationKeepsItsLastFrameWhileTheCountRunsOn) {
    for (int disabledTicks : {0, 1}) {
        DuiImage image;
        image.create(window, 10, 10, 20, 20, threeFrameGif(), 1);
        tick(image);  // frame 2 drawn, frame 3 next
        image.disabled(1);
        for (int i = 0; i < disabledTicks; ++i) tick(image);
        EXPECT_TRUE(colourNear(centre(image), kPalette[1])) << disabledTicks;
        EXPECT_EQ(image.currentFrame(), 3 + disabledTicks);
        EXPECT_EQ(image.frameTimerInterval(), 200) << "the running timer is left alone";
        // Composed at half opacity.
        compositeArea(window, image.bounds(), host.get(), host->composeGraphics(), 0);
        EXPECT_NEAR(greenOf(px(20, 20)), 128, 3);
        image.disabled(0);
        tick(image);
        // Frame 3 when the counter is still on it, frame 1 once it passed the last frame.
        int expected = disabledTicks == 0 ? 2 : 0;
        EXPECT_TRUE(colourNear(centre(image), kPalette[expected])) << disabledTicks;
    }
}

TEST_F(ImageTest, FrameDelaysZeroMissingOrFixed) {
    const Bytes zero = makeGif(4, 4, {{0, 0}, {1, 0}, {2, 0}});
    const Bytes none = makeGif(4, 4, {{0, kNoDelay}, {1, kNoDelay}, {2, kNoDelay}});
    struct Case {
        const Bytes* gif;
        int fix;
        int interval;  // of every frame
    } cases[] = {{&zero, 1, 100}, {&zero, 0, 0}, {&none, 1, 100}};
    for (const Case& c : cases) {
        for (bool replaced : {false, true}) {
            DuiImage image;
            image.create(window, 10, 10, 20, 20, replaced ? makePng(4, 4, kRed) : *c.gif, 1,
                         std::nullopt, c.fix);
            if (replaced) image.image(*c.gif);
            ASSERT_EQ(image.frameCount(), 3);
            for (int frame = 0; frame < 3; ++frame) {
                EXPECT_EQ(image.frameTimerInterval(), c.interval)
                    << "fix " << c.fix << " replaced " << replaced << " frame " << frame + 1;
                EXPECT_TRUE(colourNear(centre(image), kPalette[frame]));
                tick(image);
            }
            if (c.fix) {
                EXPECT_EQ(image.frameDelays(), (std::vector<int>{10, 10, 10}));
            }
        }
    }
}

TEST(FrameDelayTest, FramesBeyondAShortDelayListTakeTheFallback) {
    // The decoder here always lists one delay per frame; shorter lists come from other decoders.
    const std::vector<int> delays = {30, 0};
    EXPECT_EQ(frameDelay(delays, 1), 30);
    EXPECT_EQ(frameDelay(delays, 2), 0);
    EXPECT_EQ(frameDelay(delays, 3), kFallbackFrameDelay);
    EXPECT_EQ(frameDelay({}, 1), kFallbackFrameDelay);
    EXPECT_EQ(frameDelay({-5}, 1), 0);
}

TEST_F(ImageTest, DrawModesPlaceThePicture) {
    const Bytes png = makePng(10, 6, kBlue);
    struct Case {
        int mode;
        RECT margins;
        int insideX, insideY;    // blue
        int outsideX, outsideY;  // empty
    } cases[] = {
        {DrawNatural, {}, 9, 5, 11, 7},
        {DrawStretch, {}, 34, 24, -1, -1},
        {DrawCenter, {}, 15, 12, 13, 10},
        {DrawNineGrid, {}, 9, 5, 11, 7},
        {DrawNineGrid, {2, 2, 8, 4}, 34, 24, -1, -1},
        {9, {}, -1, -1, 5, 3},
    };
    for (const Case& c : cases) {
        DuiImage image;
        image.create(window, 10, 10, 40, 30, png, 0, std::nullopt, std::nullopt, c.mode, c.margins);
        EXPECT_EQ(image.drawMode(), c.mode);
        if (c.insideX >= 0) {
            EXPECT_TRUE(colourNear(pixelAt(image.canvas(), c.insideX, c.insideY), kBlue))
                << "mode " << c.mode;
        }
        if (c.outsideX >= 0) {
            EXPECT_EQ(pixelAt(image.canvas(), c.outsideX, c.outsideY), 0u) << "mode " << c.mode;
        }
    }
}

TEST_F(ImageTest, BackgroundFillsAllButTheLastColumnAndRowAndTheBorderFramesIt) {
    DuiImage image;
    image.create(window, 10, 10, 40, 30, {}, 0, argbColor(RGB(0, 255, 0)));
    EXPECT_TRUE(colourNear(pixelAt(image.canvas(), 38, 28), 0xFE00FF00));
    EXPECT_EQ(pixelAt(image.canvas(), 39, 29), 0u);
    image.backColor(argbColor(RGB(255, 0, 0)));
    EXPECT_TRUE(colourNear(pixelAt(image.canvas(), 20, 20), 0xFEFF0000));
    EXPECT_TRUE(colourNear(px(30, 30), 0xFEFF0000));

    DuiImage framed;
    framed.create(window, 60, 10, 40, 30, {}, 0, std::nullopt, std::nullopt, std::nullopt,
                  std::nullopt, 0xFF0000FF);
    EXPECT_TRUE(colourNear(pixelAt(framed.canvas(), 0, 15), kBlue));
    EXPECT_TRUE(colourNear(pixelAt(framed.canvas(), 39, 15), kBlue));
    EXPECT_EQ(pixelAt(framed.canvas(), 20, 15), 0u);
}

TEST_F(ImageTest, TicksAreIgnoredWhileAPictureChangeTransitionRuns) {
    DuiImage image;
    image.create(window, 10, 10, 20, 20, threeFrameGif(), 1);
    const Bytes other = makeGif(4, 4, {{3, 10}, {2, 10}, {1, 10}});
    image.image(other, CrossFade, 4, 100000);
    EXPECT_EQ(image.pendingTransitionKind(), CrossFade);
    EXPECT_EQ(image.transitionSteps(), 4);
    EXPECT_TRUE(colourNear(centre(image), kPalette[3]));
    EXPECT_EQ(image.currentFrame(), 2);
    tick(image);
    tick(image);
    EXPECT_EQ(image.currentFrame(), 2);
    EXPECT_TRUE(colourNear(centre(image), kPalette[3]));
    for (int i = 0; i < 4; ++i) transitionTick(image);
    EXPECT_EQ(image.pendingTransitionKind(), -1);
    EXPECT_EQ(image.transitionSteps(), 0);
    tick(image);
    EXPECT_EQ(image.currentFrame(), 3);
    EXPECT_TRUE(colourNear(centre(image), kPalette[2]));

    // A change that starts no transition (hidden, or not repainted) leaves nothing pending.
    image.visible(0);
    image.image(threeFrameGif(), SlideLeft);
    EXPECT_EQ(image.pendingTransitionKind(), -1);
    EXPECT_EQ(image.transitionSteps(), 0);
    image.visible(1);
    image.image(other, SlideLeft, std::nullopt, std::nullopt, 0);
    EXPECT_EQ(image.pendingTransitionKind(), -1);
    EXPECT_EQ(image.image(), other);
}

// A 16 x 16 icon whose colour bitmap is 32-bit with the given straight-alpha pixel everywhere.
IconHandle makeIcon(ArgbColor pixel) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    BitmapHandle colour(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return IconHandle();
    for (int i = 0; i < 256; ++i) static_cast<std::uint32_t*>(bits)[i] = pixel;
    std::vector<std::uint8_t> zeros(32, 0);
    BitmapHandle mask(CreateBitmap(16, 16, 1, 1, zeros.data()));
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    return IconHandle(CreateIconIndirect(&info));
}

TEST_F(ImageTest, IconsKeepTheirAlpha) {
    IconHandle translucent = makeIcon(0x80FF0000);
    IconHandle opaque = makeIcon(0x0000FF00);  // no alpha at all: drawn through its mask
    ASSERT_TRUE(translucent && opaque);
    DuiImage a, b;
    a.createFromIcon(window, 10, 10, 16, 16, translucent.get(), std::nullopt, DrawNatural);
    b.createFromIcon(window, 40, 10, 16, 16, opaque.get());
    ASSERT_NE(a.picture(), nullptr);
    EXPECT_TRUE(colourNear(pixelAt(a.picture(), 8, 8), 0x80FF0000));
    EXPECT_TRUE(colourNear(pixelAt(a.canvas(), 8, 8), 0x80FF0000));
    EXPECT_TRUE(colourNear(pixelAt(b.picture(), 8, 8), 0xFF00FF00));
    EXPECT_EQ(a.frameCount(), 1);
    EXPECT_EQ(a.frameDelays(), (std::vector<int>{10}));
    EXPECT_TRUE(a.image().empty());
    EXPECT_EQ(a.playing(), 0);
}

TEST_F(ImageTest, TheCaptionIconIsAnImageOfTheWindowsSmallIcon) {
    IconHandle icon = makeIcon(0xFF0000FF);
    HWND w = createToolkitWindow(nullptr, "icon", 10, 10, 200, 100, nullptr, WS_POPUP, 0);
    SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
    DuiHost captioned;
    AttachOptions options;
    options.captionFlags = CaptionIcon;
    ASSERT_TRUE(captioned.attach(w, options));
    auto* image = dynamic_cast<DuiImage*>(captioned.iconImage.get());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->bounds().X, 11.0f);
    EXPECT_EQ(image->bounds().Width, 16.0f);
    EXPECT_EQ(image->focusable(), 0);
    EXPECT_TRUE(colourNear(pixelAt(image->canvas(), 8, 8), kBlue));
    DestroyWindow(w);
}

TEST_F(ImageTest, MalformedOrTruncatedPicturesGiveNoPictureAndNoCrash) {
    const Bytes gif = threeFrameGif();
    const Bytes png = makePng(8, 8, kRed);
    ASSERT_GT(png.size(), 40u);
    const Bytes cases[] = {
        Bytes(gif.begin(), gif.begin() + 13),              // header only
        Bytes(gif.begin(), gif.begin() + 40),              // cut in the first frame
        Bytes(png.begin(), png.begin() + 30),              // cut in the header chunk
        Bytes(png.begin(), png.begin() + png.size() / 2),  // cut in the pixel data
        Bytes{'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},
        Bytes(300, 0xAB),
        Bytes{},
    };
    int index = 0;
    for (const Bytes& bytes : cases) {
        DuiImage image;
        image.create(window, 10, 10, 20, 20, png, 1, argbColor(RGB(0, 255, 0)));
        ASSERT_TRUE(colourNear(centre(image), kRed));
        image.image(bytes);
        EXPECT_EQ(image.picture(), nullptr) << "case " << index;
        EXPECT_EQ(image.frameCount(), 0) << "case " << index;
        EXPECT_EQ(image.currentFrame(), 0) << "case " << index;
        // The old picture is gone from the canvas; the background stays.
        EXPECT_TRUE(colourNear(centre(image), 0xFE00FF00)) << "case " << index;
        tick(image);
        DuiImage created;
        created.create(window, 40, 10, 20, 20, bytes, 1);
        EXPECT_EQ(created.picture(), nullptr) << "case " << index;
        EXPECT_EQ(created.frameCount(), 0);
        ++index;
    }
}

std::size_t privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PrivateUsage;
}

TEST_F(ImageTest, RepaintsAndRecreationsLeakNothing) {
    const Bytes png = makePng(8, 8, kRed);
    IconHandle icon = makeIcon(0x80FF0000);
    auto cycle = [&](int i) {
        DuiImage image;
        image.create(window, 10, 10, 20, 20, i % 2 ? png : threeFrameGif(), 1, 0xFF00FF00u);
        image.repaint();
        tick(image);
        image.image(i % 2 ? threeFrameGif() : png,
                    i % 3 == 0 ? std::optional<int>(CrossFade) : std::nullopt);
        DuiImage fromIcon;
        fromIcon.createFromIcon(window, 40, 10, 16, 16, icon.get());
    };
    for (int i = 0; i < 50; ++i) cycle(i);
    pumpFor(20);
    long objects = liveGdiPlusObjects();
    std::size_t memory = privateBytes();
    DuiImage animated;
    animated.create(window, 60, 10, 20, 20, threeFrameGif(), 1);
    const ControlHandle handle = animated.handle();
    for (int i = 0; i < 1000; ++i) {
        animated.repaint();
        tick(animated);
        // Created again while live: same control, new picture.
        if (i % 10 == 0) animated.create(window, 60, 10, 20, 20, i % 20 ? threeFrameGif() : png, 1);
    }
    EXPECT_EQ(animated.handle(), handle);
    EXPECT_EQ(animated.frameCount(), 3);
    animated.destroy();
    for (int i = 0; i < 1000; ++i) cycle(i);
    pumpFor(20);
    EXPECT_EQ(liveGdiPlusObjects(), objects);
    EXPECT_LT(privateBytes(), memory + 4 * 1024 * 1024);
}

}  // namespace
}  // namespace dui
