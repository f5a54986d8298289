// Opening and closing animations of toolkit windows: step-wise blends of a host's finished frame
// into a temporary surface that is pushed to the screen as a per-pixel-alpha layered window.
#pragma once

#include <functional>

#include "ui/DuiMessages.h"
#include "ui/DuiSurface.h"

namespace dui {

// Plays an opening animation of the frame in frameDC and leaves the window shown with the full
// frame. A window that is not layered (windowAlpha -1) is layered only while it runs.
void playOpenAnimation(HWND window, HDC frameDC, int windowAlpha, int animation, int blurBehind,
                       int frameStyle, int durationMs);
// Plays a closing animation (nothing for AnimationNone) and leaves the window fully transparent
// and layered.
void playCloseAnimation(HWND window, HDC frameDC, int windowAlpha, int animation, int blurBehind,
                        int frameStyle);
// One step of an opening wipe: the revealed block at alpha, then a 100-line fading edge.
void wipeInStep(HDC frameDC, HDC target, SIZE size, int alpha, int offset, int animation);
// One step of a closing wipe: the part still shown, its last 100 lines fading; pushes target.
void wipeOutStep(HWND window, HDC frameDC, const Surface& target, SIZE size, int alpha, int offset,
                 int animation, int blurBehind, int frameStyle);

// Lets tests watch the steps: pushed sees every surface pushed to the screen with the constant
// alpha of its last blend (-1 for an empty surface), slept every pause in milliseconds.
struct AnimationObserver {
    std::function<void(HWND window, const Surface& surface, int alpha)> pushed;
    std::function<void(DWORD ms)> slept;
};
// Replaces the observer (an empty one watches nothing).
void setAnimationObserver(AnimationObserver observer);

}  // namespace dui
