#include "app/NodeWindow.h"

#include <string>

#include "app/Globals.h"
#include "app/Platform.h"
#include "app/WindowLook.h"
#include "ui/DuiMessageBox.h"
#include "resources/Embedded.h"

namespace lark {
namespace {

struct NodeEntry {
    int x, y;
    const char* name;
    ImageBytes logo;
};

void createNodeButton(int index, int x, int y, const char* text, ImageBytes logo,
                      void (*handler)()) {
    dui::DuiButton& button = nodeButtons[index];
    dui::TextStyle style;
    style.textColor = dui::argbColor(0xFFFFFF, 200);
    button.create(nodeWindowHandle, x, y, 135, 54, text, style);
    if (index == 3)
        setButtonSkin(button, res::node_frame2_png, res::node_frame2_lit_png);
    else
        setButtonSkin(button, res::node_frame_png, res::node_frame_lit_png);
    button.icon(logo);
    button.iconLayout(0);
    bindPress(button, handler);
}

void workerMeasureLatency(void*) {
    measureLatency();
}

}  // namespace

const FormTemplate& nodeWindowTemplate() {
    static const FormTemplate form{
        .title = "Larkbridge",
        .width = 328,
        .height = 198,
        .visible = false,
        .onCreated = buildNodeWindow,
    };
    return form;
}

void buildNodeWindow(HWND window) {
    nodeWindowHandle = window;
    attachWindowHost(nodeHost, window);
    // Composed once when the build is done, not once per control.
    dui::RedrawBatch batch(nodeHost);
    createPanel(nodeBackgroundPanel, window, 0, 0, 328, 208, kPanelColor);
    createTextLabel(nodeAdvertLabel, window, 8, 6, 286, 20,
                    "广告：云雀桥游戏加速器 larkbridge.example", 0xFFFFFF, 200);
    createPanel(nodeListPanel, window, 8, 32, 312, 158, kInnerPanelColor);
    createGlyphButton(nodeCloseButton, window, 302, res::close_png, res::close_lit_png);
    bindPress(nodeCloseButton, hideNodeWindow);
    createTextLabel(latencyLabels[0], window, 12, 37, 170, 16, "开发者自费转发节点 延迟：",
                    0xFFFFFF, 200, 11.0f);
    createTextLabel(latencyLabels[1], window, 148, 37, 40, 16, "?ms", 0x80E000, 255, 11.0f);
    setFormTimer(window, 2200, onLatencyTimer);

    createNodeButton(0, 26, 60, "Steamcommunity", res::logo_steam_png, [] { selectNode(1); });
    selectNode(1);
    createNodeButton(1, 168, 60, "Ubisoft Uplay", res::logo_uplay_png, [] { selectNode(2); });
    createNodeButton(2, 26, 120, "Orgin EA", res::logo_origin_png, [] { selectNode(3); });
    createNodeButton(3, 168, 120, "N社韩服游戏官网", res::logo_nexon_png, showNotInDevelopment);
}

void selectNode(int n) {
    pacUrl = nodeUrl(n);
    nodeButtons[n - 1].disabled(1);
    for (int i = 0; i < 4; ++i)
        if (i != n - 1) nodeButtons[i].disabled(0);
    // The selected entry shows the lit frame whatever its state; the others light up on hover.
    nodeButtons[n - 1].setSkin(res::node_frame_lit_png, res::node_frame_png,
                               res::node_frame_lit_png, res::node_frame_lit_png, 1);
    for (int i = 0; i < 3; ++i)
        if (i != n - 1) setButtonSkin(nodeButtons[i], res::node_frame_png, res::node_frame_lit_png);
}

void showNotInDevelopment() {
    dui::messageBox(nodeWindowHandle, "开发当中,敬请期待");
}

void hideNodeWindow() {
    setWindowVisible(nodeWindowHandle, false);
}

void onLatencyTimer() {
    startThread(workerMeasureLatency, nullptr);
}

void measureLatency() {
    const std::string text = std::to_string(ping(kNodeAddress, 1000)) + "ms";
    runOnUiThread(nodeWindowHandle, [text] { latencyLabels[1].text(text); });
}

}  // namespace lark
