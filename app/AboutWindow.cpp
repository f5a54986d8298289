#include "app/AboutWindow.h"

#include "app/Globals.h"
#include "app/Platform.h"
#include "app/WindowLook.h"
#include "resources/Embedded.h"

namespace lark {
namespace {

constexpr char kInformation[] =
    "Larkbridge 云雀桥 Steam 社区加速\r\n"
    "用户交流群：100000000\r\n"
    "官网：larkbridge.example\r\n"
    "广告与商务合作：400-000-0000";

}  // namespace

const FormTemplate& aboutWindowTemplate() {
    static const FormTemplate form{
        .title = "Larkbridge",
        .width = 328,
        .height = 160,
        .visible = false,
        .onCreated = buildAboutWindow,
    };
    return form;
}

void buildAboutWindow(HWND window) {
    aboutWindowHandle = window;
    // The template's own push button; nothing is bound to it.
    CreateWindowExA(0, "BUTTON", "异常修复(一般请不要点击,开发人员选项)",
                    WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 36, 134, 256, 24, window, nullptr,
                    GetModuleHandleA(nullptr), nullptr);
    attachWindowHost(aboutHost, window);
    // Composed once when the build is done, not once per control.
    dui::RedrawBatch batch(aboutHost);
    createPanel(aboutBackgroundPanel, window, 0, 0, 328, 160, kPanelColor);
    createTextLabel(aboutTitleLabel, window, 8, 8, 80, 16, "Larkbridge", 0xFFFFFF, 200, 11.0f);
    createPanel(aboutPanel, window, 8, 32, 312, 110, kInnerPanelColor);
    createGlyphButton(aboutCloseButton, window, 302, res::close_png, res::close_lit_png);
    bindPress(aboutCloseButton, hideAboutWindow);
    aboutImage.create(window, 30, 56, 58, 58, res::about_wrench_png);
    createTextLabel(aboutTextLabel, window, 94, 53, 220, 220, kInformation, 0xFFFFFF, 200, 11.0f,
                    std::nullopt, 1);

    dui::TextStyle style;
    style.textColor = dui::argbColor(0xFFFFFF, 220);
    style.fontName = kFontName;
    style.fontSize = 11.0f;
    visitSiteButton.create(window, 80, 7, 60, 18, "访问官网　", style);
    visitSiteButton.setSkin(res::site_button_png, res::site_button_lit_png, res::site_button_png,
                            std::nullopt, 1);
    bindPress(visitSiteButton, openMakerSite);
}

void hideAboutWindow() {
    setWindowVisible(aboutWindowHandle, false);
}

void openMakerSite() {
    shellOpen("explorer.exe", webHost + "/");
}

}  // namespace lark
