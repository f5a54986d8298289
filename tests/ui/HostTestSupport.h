// A real attached toolkit window and a control class that paints one solid colour, so the host,
// the control base and the compositor can be tested before any real control class exists.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/Pixels.h"
#include "ui/DuiCompositor.h"
#include "ui/DuiControl.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"
#include "ui/DuiToolkit.h"

namespace dui::test {

inline constexpr ArgbColor kRed = 0xFFFF0000;
inline constexpr ArgbColor kBlue = 0xFF0000FF;
inline constexpr ArgbColor kGreen = 0xFF00FF00;

// Runs the thread's messages for ms milliseconds.
inline void pumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

// Runs the thread's messages until done() or timeoutMs passed; returns done().
template <class Done>
bool pumpUntil(Done done, DWORD timeoutMs = 3000) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs) pumpFor(5);
    return done();
}

// Paints its canvas in one colour and records what reached its class.
class SolidControl : public DuiControl {
public:
    ArgbColor color = 0xFFFF0000;
    int paints = 0;
    int resizes = 0;
    int moves = 0;
    int destroys = 0;
    int ownDisabledLook = -1;  // answer to QueryOwnDisabledLook
    std::vector<UINT> codes;

    ControlHandle make(ControlParent where, RectF bounds, ArgbColor fill, int visible = 1,
                       int interval = 0, int steps = 0, int kind = 0) {
        color = fill;
        return DuiControl::create(where, bounds, Label, visible, std::nullopt, std::nullopt,
                                  interval, steps, kind);
    }
    // A new colour shown through a paint pass (a transition when one is set up).
    void paintColor(ArgbColor fill, int steps = 0) {
        color = fill;
        if (steps) transition(steps);
        repaint();
    }
    int handleMessage(ControlHandle handle, UINT code, WPARAM a, LPARAM b) override {
        codes.push_back(code);
        switch (code) {
            case WM_PAINT:
                paint();
                return 0;
            case Resized:
                ++resizes;
                return 0;
            case Moved:
                ++moves;
                return 0;
            case WM_DESTROY:
                ++destroys;
                return 0;
            case QueryOwnDisabledLook:
                return ownDisabledLook;
            default:
                return DuiControl::handleMessage(handle, code, a, b);
        }
    }

private:
    void paint() {
        ++paints;
        PaintContext context;
        if (!beginPaint(*this, context, std::nullopt, 1)) return;
        GpBrushPtr brush = createSolidBrush(color);
        gp::GdipFillRectangle(context.graphics, brush.get(), context.area.X, context.area.Y,
                              context.area.Width, context.area.Height);
        endPaint(*this, context);
    }
};

// A toolkit window with a host attached: frameless, no picture, so the frame starts transparent
// and only controls show. Pixels are read from the composed frame.
class HostTest : public ToolkitTest {
protected:
    HWND window = nullptr;
    std::unique_ptr<DuiHost> host;

    void SetUp() override {
        window = createToolkitWindow(nullptr, "host test", 40, 40, 300, 200, nullptr,
                                     WS_POPUP, 0);
        ASSERT_NE(window, nullptr);
        host = std::make_unique<DuiHost>();
        AttachOptions options;
        options.captionFlags = 0;
        options.frameStyle = 1;
        options.windowAlpha = 255;
        ASSERT_TRUE(host->attach(window, options));
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        host.reset();
        pumpFor(1);
    }
    std::uint32_t px(int x, int y) const { return host->compose.pixel(x, y); }
};

}  // namespace dui::test
