#include "ui/DuiToolkit.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "resources/Embedded.h"
#include "ui/DuiImageLoader.h"
#include "ui/DuiTextSupport.h"

namespace dui {

namespace {

constexpr int kClassIconResource = 129;
// Offset of OSMajorVersion in the 32-bit process environment block.
constexpr std::size_t kPebOsMajorVersion = 0xA4;
// The Windows name of SimSun, in the ANSI code page (936) like every 8-bit text of the program.
constexpr char kSimSun[] = "宋体";

GpFontFamilyPtr familyFromName(const std::wstring& name) {
    GpFontFamilyPtr family;
    if (gp::GdipCreateFontFamilyFromName(name.c_str(), nullptr, family.put()) != Gdiplus::Ok)
        family.release();  // nothing usable was written
    return family;
}

// The OS major version as the loader recorded it in the process environment block; unlike
// GetVersionEx it does not depend on the manifest's compatibility entries.
int readOsMajorVersion() {
    const std::uint8_t* peb = nullptr;
    asm("movl %%fs:0x30, %0" : "=r"(peb));  // TEB.ProcessEnvironmentBlock
    ULONG major = 0;
    std::memcpy(&major, peb + kPebOsMajorVersion, sizeof major);
    return static_cast<int>(major);
}

std::string captionFontName() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = 340;  // the size every Windows version accepts
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0)) return kSimSun;
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, metrics.lfCaptionFont.lfFaceName, LF_FACESIZE);
    return captionFontCandidate(face);
}

GpFontPtr makeDefaultFont() {
    GpFontFamilyPtr family = familyFromName(ansiToWide(kSimSun));
    if (!family) family = familyFromName(ansiToWide(captionFontName()));
    GpFontPtr font;
    if (family)
        gp::GdipCreateFont(family.get(), 12.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel,
                           font.put());
    return font;
}

}  // namespace

std::string captionFontCandidate(const char* captionFace) {
    // Tahoma has no Chinese glyphs; SimSun reads better on the systems the program targets.
    if (!captionFace || std::strcmp(captionFace, "Tahoma") == 0) return kSimSun;
    // Only the face itself counts here: the default font is being chosen.
    return familyFromName(ansiToWide(captionFace)) ? std::string(captionFace)
                                                   : std::string(kSimSun);
}

Toolkit& toolkit() {
    static Toolkit instance;
    return instance;
}

void initToolkit() {
    Toolkit& t = toolkit();
    if (t.started) return;
    t.started = true;
    Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    Gdiplus::GdiplusStartup(&t.gdiplusToken, &input, nullptr);
    t.osMajorVersion = readOsMajorVersion();
    t.defaultFont = makeDefaultFont();
    t.defaultCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    t.captionSprite = loadImageFromBytes(res::caption_sprite_png, true);
    registerWindowClass(nullptr, CS_DBLCLKS, nullptr, nullptr, toolkitClassProc);
}

GpFontPtr createFontOrDefault(const char* familyName, float size, int style) {
    GpFontFamilyPtr family = familyFromName(ansiToWide(familyName ? familyName : ""));
    if (!family && toolkit().defaultFont)
        family = familyFromName(ansiToWide(fontFamilyName(toolkit().defaultFont.get())));
    GpFontPtr font;
    if (family) gp::GdipCreateFont(family.get(), size, style, Gdiplus::UnitPixel, font.put());
    return font;
}

std::string fontFamilyName(Gdiplus::GpFont* font) {
    GpFontFamilyPtr family;
    if (!font || gp::GdipGetFamily(font, family.put()) != Gdiplus::Ok) return std::string();
    WCHAR name[LF_FACESIZE] = {};
    gp::GdipGetFamilyName(family.get(), name, 0);
    name[LF_FACESIZE - 1] = L'\0';
    return wideToAnsi(name);
}

void registerWindowClass(const wchar_t* className, UINT classStyle, HICON icon, HCURSOR cursor,
                         WNDPROC windowProcedure) {
    Toolkit& t = toolkit();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!icon) {
        t.classIcon = LoadIconW(instance, MAKEINTRESOURCEW(kClassIconResource));
        icon = t.classIcon;
    }
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = windowProcedure ? windowProcedure : toolkitClassProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor ? cursor : t.defaultCursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = className ? className : kToolkitWindowClass;
    RegisterClassExW(&wc);
}

LRESULT CALLBACK toolkitClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace dui
