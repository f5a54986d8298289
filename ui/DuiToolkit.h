// Process-wide resources every host window and control shares (GDI+, default font and cursor,
// caption sprite, the toolkit window class), created once by initToolkit on the GUI thread.
#pragma once

#include <string>

#include "ui/GdiPlus.h"

namespace dui {

inline constexpr wchar_t kToolkitWindowClass[] = L"Va_DozuzuDO";

// Written only by initToolkit, read-only afterwards, on the GUI thread.
struct Toolkit {
    bool started = false;
    ULONG_PTR gdiplusToken = 0;       // GDI+ stays started until the process ends
    int osMajorVersion = 0;           // 6 switches on the DWM blur behind layered windows
    GpFontPtr defaultFont;            // owned; controls compare their font with it before deleting
    HCURSOR defaultCursor = nullptr;  // the shared system arrow, not owned
    GpImagePtr captionSprite;         // owned; 729 x 20 strip of caption-button glyphs
    HICON classIcon = nullptr;        // the program's icon 129 if any, shared, not owned
};

// The process's toolkit resources (empty until initToolkit).
Toolkit& toolkit();

// Starts GDI+ and creates the shared resources and the window class. Later calls do nothing.
void initToolkit();

// A font of familyName (ANSI code page), falling back to the default font's family when the name
// is not installed; null when neither exists. Size in pixels, style GDI+ FontStyle bits.
GpFontPtr createFontOrDefault(const char* familyName, float size, int style);
// The family name of font in the ANSI code page (empty when it cannot be read).
std::string fontFamilyName(Gdiplus::GpFont* font);

// The default font's fallback family for a system caption font face: the face when it is
// installed and not Tahoma, otherwise SimSun ("宋体" in the ANSI code page).
std::string captionFontCandidate(const char* captionFace);

// Registers a window class (RegisterClassExW); null arguments take the toolkit defaults:
// "Va_DozuzuDO", CS_DBLCLKS, icon 129, the default cursor, toolkitClassProc.
void registerWindowClass(const wchar_t* className = nullptr, UINT classStyle = CS_DBLCLKS,
                         HICON icon = nullptr, HCURSOR cursor = nullptr,
                         WNDPROC windowProcedure = nullptr);
// The class procedure: a plain window until a host attaches and replaces it.
LRESULT CALLBACK toolkitClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace dui
