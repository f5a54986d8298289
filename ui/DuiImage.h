// A control that shows a picture (encoded bytes or an icon) placed by a draw mode, over an
// optional background and under an optional border, and plays multi-frame pictures (animated
// GIFs) with their own frame delays on a timer of the host window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "ui/DuiControl.h"
#include "ui/UniqueHandle.h"

namespace dui {

// Placement of a picture in a control.
enum ImageDrawMode : int {
    DrawNatural = 0,   // own size at the origin
    DrawStretch = 1,   // stretched over the area
    DrawCenter = 2,    // own size, centred
    DrawNineGrid = 3,  // corners kept, centre cell stretched
};

// Delay, in hundredths of a second, of a frame that has none of its own.
inline constexpr int kFallbackFrameDelay = 10;

class DuiImage : public DuiControl {
public:
    ~DuiImage() override;

    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override;
    // drawMode defaults to Stretch and visible to 1; the other settings to 0.
    ControlHandle create(ControlParent parent, int x, int y, int w, int h,
                         std::span<const std::uint8_t> imageBytes, std::optional<int> playing = {},
                         std::optional<ArgbColor> backColor = {},
                         std::optional<int> fixZeroDelays = {}, std::optional<int> drawMode = {},
                         std::optional<RECT> nineGridMargins = {}, std::optional<int> border = {},
                         std::optional<int> visible = {});
    // The icon is converted (its alpha kept); the caller keeps owning it.
    ControlHandle createFromIcon(ControlParent parent, int x, int y, int w, int h, HICON icon,
                                 std::optional<ArgbColor> backColor = {},
                                 std::optional<int> drawMode = {}, std::optional<int> border = {},
                                 std::optional<int> visible = {});
    int playing(std::optional<int> value = {});
    // Replaces the picture when bytes are given (a transition when a kind is given, 5 frames of
    // 60 ms by default); returns a copy of the current bytes.
    std::vector<std::uint8_t> image(std::optional<std::span<const std::uint8_t>> bytes = {},
                                    std::optional<int> transitionKind = {},
                                    std::optional<int> steps = {}, std::optional<int> interval = {},
                                    std::optional<int> repaint = {});
    ArgbColor backColor(std::optional<ArgbColor> value = {});
    // Draws the current frame and, for an animation, sets the timer for the next one.
    void paintFrame(ControlHandle handle);

    // Read access for the host and for tests.
    Gdiplus::GpImage* picture() const { return image_.get(); }
    int currentFrame() const { return currentFrame_; }
    int frameCount() const { return frameCount_; }
    const std::vector<int>& frameDelays() const { return frameDelays_; }
    int drawMode() const { return drawMode_; }
    int pendingTransitionKind() const { return pendingTransitionKind_; }
    // Interval in ms of the animation timer this control last set; -1 when it has none.
    int frameTimerInterval() const { return frameTimerInterval_; }

private:
    // The base creation (kind Image, focusable), or a move and repaint when already live.
    ControlHandle createBase(ControlParent parent, int x, int y, int w, int h,
                             std::optional<int> visible);
    void loadBytes(std::span<const std::uint8_t> bytes);
    void releasePicture();
    void killFrameTimer();
    void drawPicture(Gdiplus::GpGraphics* graphics, const RectF& area);

    // Fields in the documented order, except that the memory and stream come before the image
    // so that members are torn down image first, then stream, then memory.
    std::vector<std::uint8_t> imageBytes_;  // owned; empty for an icon picture
    GlobalMemory imageMemory_;              // the bytes the stream reads
    StreamPtr imageStream_;                 // the stream the image stays bound to
    GpImagePtr image_;
    int playing_ = 0;
    int border_ = 0;
    int currentFrame_ = 0;  // 1-based frame drawn next; 0 = no picture
    int frameCount_ = 0;
    ArgbColor backColor_ = 0;
    std::vector<int> frameDelays_;  // hundredths of a second, in frame order
    int drawMode_ = DrawStretch;
    int fixZeroDelays_ = 0;
    RECT nineGridMargins_{};
    int pendingTransitionKind_ = -1;
    int frameTimerInterval_ = -1;
    bool transitionStarted_ = false;  // set when a repaint started a transition
};

// Delay of the 1-based frame: its entry in delays, the fallback when the list is shorter, never
// below 0.
int frameDelay(const std::vector<int>& delays, int frame);

// A 32-bit ARGB bitmap of the icon, keeping a 32-bit icon's own alpha; null on failure.
GpImagePtr bitmapFromIcon(HICON icon);

// The host's factory for its caption icon: 16 x 16 at (11, 11).
std::unique_ptr<DuiControl> createCaptionIcon(HWND window, HICON icon);

}  // namespace dui
