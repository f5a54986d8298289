#include "ui/DuiWindowAnimation.h"

#include <algorithm>

#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"

namespace dui {

namespace {

AnimationObserver& observer() {
    static auto* current = new AnimationObserver;
    return *current;
}

// Constant-alpha blend of a frame rectangle into the same or another place of target.
void blend(HDC target, int x, int y, int w, int h, HDC frame, int sx, int sy, int sw, int sh,
           int alpha) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    BLENDFUNCTION function{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), 0};
    GdiAlphaBlend(target, x, y, w, h, frame, sx, sy, sw, sh, function);
}

void blendWhole(HDC target, SIZE size, HDC frame, int alpha) {
    blend(target, 0, 0, size.cx, size.cy, frame, 0, 0, size.cx, size.cy, alpha);
}

void blendScaled(HDC target, int x, int y, int w, int h, HDC frame, SIZE size, int alpha) {
    blend(target, x, y, w, h, frame, 0, 0, size.cx, size.cy, alpha);
}

void clear(const Surface& surface) {
    if (!surface.graphics()) return;
    gp::GdipGraphicsClear(surface.graphics(), 0);
    gp::GdipFlush(surface.graphics(), Gdiplus::FlushIntentionSync);
}

void push(HWND window, const Surface& surface, int alpha) {
    GdiFlush();
    updateLayered(window, surface.dc(), {surface.width(), surface.height()});
    if (observer().pushed) observer().pushed(window, surface, alpha);
}

void pause(DWORD ms) {
    if (observer().slept) observer().slept(ms);
    Sleep(ms);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void setHostBusy(HWND window, int value) {
    if (DuiHost* host = hostOfWindow(window)) host->setBusy(value);
}

SIZE windowSize(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void changeExStyle(HWND window, DWORD add, DWORD remove) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    DWORD changed = (style | add) & ~remove;
    if (changed != style) SetWindowLongW(window, GWL_EXSTYLE, static_cast<LONG>(changed));
}

bool horizontal(int animation) {
    return animation == AnimationWipeLeftToRight || animation == AnimationWipeRightToLeft;
}

// Empties the blur region while the window's shape changes under it.
void emptyBlur(HWND window, int blurBehind, int frameStyle, int windowAlpha, int corner) {
    if (blurBehind) applyBlur(window, 0, 0, 0, 0, corner, frameStyle, windowAlpha);
}

void restoreBlur(HWND window, SIZE size, int blurBehind, int frameStyle, int windowAlpha) {
    if (blurBehind) applyBlur(window, 6, 6, size.cx - 5, size.cy - 5, 6, frameStyle, windowAlpha);
}

}  // namespace

void setAnimationObserver(AnimationObserver next) {
    observer() = std::move(next);
}

void wipeInStep(HDC frameDC, HDC target, SIZE size, int alpha, int offset, int animation) {
    int w = size.cx, h = size.cy;
    switch (animation) {
        case AnimationWipeLeftToRight:
            blend(target, 0, 0, offset, h, frameDC, 0, 0, offset, h, alpha);
            break;
        case AnimationWipeRightToLeft:
            blend(target, w - offset, 0, offset, h, frameDC, w - offset, 0, offset, h, alpha);
            break;
        case AnimationWipeTopToBottom:
            blend(target, 0, 0, w, offset, frameDC, 0, 0, w, offset, alpha);
            break;
        default:
            blend(target, 0, h - offset, w, offset, frameDC, 0, h - offset, w, offset, alpha);
            break;
    }
    for (int k = 1; k <= 100; ++k) {
        int a = static_cast<int>(alpha / 100.0 * (101 - k));
        int at = offset + k - 1;
        switch (animation) {
            case AnimationWipeLeftToRight:
                blend(target, at, 0, 1, h, frameDC, at, 0, 1, h, a);
                break;
            case AnimationWipeRightToLeft:
                blend(target, w - at, 0, 1, h, frameDC, w - at, 0, 1, h, a);
                break;
            case AnimationWipeTopToBottom:
                blend(target, 0, at, w, 1, frameDC, 0, at, w, 1, a);
                break;
            default:
                blend(target, 0, h - at, w, 1, frameDC, 0, h - at, w, 1, a);
                break;
        }
    }
}

void wipeOutStep(HWND window, HDC frameDC, const Surface& target, SIZE size, int alpha, int offset,
                 int animation, int blurBehind, int frameStyle) {
    int w = size.cx, h = size.cy;
    if (blurBehind) {
        switch (animation) {
            case AnimationWipeLeftToRight:
                applyBlur(window, std::min(w - 5, offset + 100), 6, w - 5, h - 5, 6, frameStyle,
                          alpha);
                break;
            case AnimationWipeRightToLeft: {
                int right = w - offset - 100;
                applyBlur(window, 6, 6, right <= 5 ? 6 : right, h - 5, 6, frameStyle, alpha);
                break;
            }
            case AnimationWipeTopToBottom:
                applyBlur(window, 6, offset + 100, w - 5, h - 5, 6, frameStyle, alpha);
                break;
            default: {
                int bottom = h - offset - 100;
                applyBlur(window, 6, 6, w - 5, bottom <= 5 ? 6 : bottom, 6, frameStyle, alpha);
                break;
            }
        }
    }
    HDC dc = target.dc();
    int count = (horizontal(animation) ? w : h) - offset;
    for (int k = 1; k <= count; ++k) {
        int a = k < count - 100 ? alpha : static_cast<int>(alpha / 100.0 * (count - k));
        switch (animation) {
            case AnimationWipeLeftToRight:
                blend(dc, w - k, 0, 1, h, frameDC, w - k, 0, 1, h, a);
                break;
            case AnimationWipeRightToLeft:
                blend(dc, k, 0, 1, h, frameDC, k, 0, 1, h, a);
                break;
            case AnimationWipeTopToBottom:
                blend(dc, 0, h - k, w, 1, frameDC, 0, h - k, w, 1, a);
                break;
            default:
                blend(dc, 0, k, w, 1, frameDC, 0, k, w, 1, a);
                break;
        }
    }
    push(window, target, alpha);
}

void playOpenAnimation(HWND window, HDC frameDC, int windowAlpha, int animation, int blurBehind,
                       int frameStyle, int durationMs) {
    SIZE size = windowSize(window);
    int w = size.cx, h = size.cy;
    if (windowAlpha == -1) {
        changeExStyle(window, WS_EX_LAYERED, 0);
        setWindowShape(window, w, h, frameStyle);
    }
    setHostBusy(window, 1);
    Surface temporary;
    temporary.create(nullptr, w, h, true);
    HDC dc = temporary.dc();
    clear(temporary);
    push(window, temporary, -1);
    ShowWindow(window, SW_SHOWNORMAL);
    emptyBlur(window, blurBehind, frameStyle, windowAlpha, 0);

    DWORD stepMs = static_cast<DWORD>(std::max(durationMs, 0) / 10);
    int sx = static_cast<int>(w * 0.1 / 10), sy = static_cast<int>(h * 0.1 / 10);
    int extent = horizontal(animation) ? w : h;
    int wipeStep = extent / 10;
    for (int i = 1; i <= 10 && IsWindow(window); ++i) {
        int alpha = 25 * (i - 1);
        clear(temporary);
        if (animation == AnimationFade) {
            blendWhole(dc, size, frameDC, alpha);
        } else if (animation == AnimationZoom) {
            int d = 10 - i;
            blendScaled(dc, sx * d, sy * d, w - 2 * sx * d, h - 2 * sy * d, frameDC, size, alpha);
        } else {
            wipeInStep(frameDC, dc, size, alpha, wipeStep * (i - 1), animation);
        }
        push(window, temporary, alpha);
        pause(animation == AnimationZoom ? static_cast<DWORD>(11 - i) : stepMs);
        pump();
    }
    if (IsWindow(window)) {
        clear(temporary);
        blendWhole(dc, size, frameDC, 255);
        push(window, temporary, 255);
        restoreBlur(window, size, blurBehind, frameStyle, windowAlpha);
    }
    temporary.release();
    // A host that is not layered draws through WM_PAINT again; a window left layered by an
    // earlier closing animation would otherwise keep showing this last pushed frame.
    if (windowAlpha == -1 && IsWindow(window)) changeExStyle(window, 0, WS_EX_LAYERED);
    setHostBusy(window, 0);
}

void playCloseAnimation(HWND window, HDC frameDC, int windowAlpha, int animation, int blurBehind,
                        int frameStyle) {
    if (animation == AnimationNone) return;
    SIZE size = windowSize(window);
    int w = size.cx, h = size.cy;
    Surface temporary;
    temporary.create(nullptr, w, h, true);
    HDC dc = temporary.dc();
    clear(temporary);
    blendWhole(dc, size, frameDC, 255);
    if (windowAlpha == -1) changeExStyle(window, WS_EX_LAYERED, 0);
    push(window, temporary, 255);
    setHostBusy(window, 1);

    if (animation == AnimationFade) {
        emptyBlur(window, blurBehind, frameStyle, windowAlpha, 6);
        for (int i = 1; i <= 15 && IsWindow(window); ++i) {
            clear(temporary);
            blendWhole(dc, size, frameDC, 255 - 17 * i);
            push(window, temporary, 255 - 17 * i);
            pause(10);
            pump();
        }
    } else if (animation == AnimationPop) {
        emptyBlur(window, blurBehind, frameStyle, windowAlpha, 6);
        int k = 0;
        for (int i = 1; i <= 20 && IsWindow(window); ++i) {
            double s = 1.5 * i;
            int alpha = 255 - 12 * i;
            clear(temporary);
            if (s > 5) {
                k += 2;
                int d = k / 2 - 5;
                blendScaled(dc, d, d, w + 10 - k, h + 10 - k, frameDC, size, alpha);
            } else {
                int d = static_cast<int>(-s / 2);
                blendScaled(dc, d, d, static_cast<int>(s + w), static_cast<int>(s + h), frameDC,
                            size, alpha);
            }
            push(window, temporary, alpha);
            pause(static_cast<DWORD>(std::max(16 - i, 10)));
            pump();
        }
    } else if (animation == AnimationZoom) {
        emptyBlur(window, blurBehind, frameStyle, windowAlpha, 6);
        int sx = static_cast<int>(w * 0.1 / 15), sy = static_cast<int>(h * 0.1 / 15);
        for (int i = 1; i <= 15 && IsWindow(window); ++i) {
            int d = i - 1;
            clear(temporary);
            blendScaled(dc, sx * d, sy * d, w - 2 * sx * d, h - 2 * sy * d, frameDC, size,
                        255 - 17 * i);
            push(window, temporary, 255 - 17 * i);
            pause(static_cast<DWORD>(std::max(13 - i, 1)));
            pump();
        }
    } else {
        int step = (horizontal(animation) ? w : h) / 15;
        for (int i = 1; i <= 15 && IsWindow(window); ++i) {
            clear(temporary);
            wipeOutStep(window, frameDC, temporary, size, 255 - 17 * i, i * step, animation,
                        blurBehind, frameStyle);
            pause(8);
            pump();
        }
    }
    if (IsWindow(window)) {
        clear(temporary);
        push(window, temporary, -1);
    }
    temporary.release();
    setHostBusy(window, 0);
}

void DuiHost::show(int animation, int durationMs) {
    pump();
    if (!window) return;
    if (animation != AnimationNone) {
        playOpenAnimation(window, composeDC(), windowAlpha, animation, blurBehind, frameStyle_,
                          durationMs);
        if (!window) return;  // destroyed while the animation pumped
        present();
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    if (blurBehind) applyBlur(window, 6, 6, size.cx - 5, size.cy - 5, 6, frameStyle_, windowAlpha);
    ShowWindow(window, SW_SHOWNORMAL);
}

}  // namespace dui
