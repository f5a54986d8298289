#include "app/WindowLook.h"

#include "resources/Embedded.h"

namespace lark {

void attachWindowHost(dui::DuiHost& host, HWND window) {
    dui::AttachOptions options;
    options.backgroundBytes = res::window_background_png;
    options.captionFlags = 0;
    options.backgroundMode = 0;
    options.frameStyle = 1;
    options.resizable = 0;
    options.draggable = 1;
    options.fadeImageEdges = 1;
    options.blurBehind = 1;
    host.attach(window, options);
}

void createPanel(dui::DuiLabel& panel, HWND window, int x, int y, int width, int height,
                 COLORREF color) {
    dui::LabelStyle style;
    style.gradientMode = 1;
    style.gradientColor1 = style.gradientColor2 = dui::argbColor(color, 255);
    style.autoContrast = 0;
    panel.create(window, x, y, width, height, "", style);
}

void createTextLabel(dui::DuiLabel& label, HWND window, int x, int y, int width, int height,
                     const std::string& text, COLORREF color, int alpha, std::optional<float> size,
                     std::optional<int> style, int multiLine) {
    dui::LabelStyle look;
    look.textColor = dui::argbColor(color, alpha);
    look.fontName = kFontName;
    look.fontSize = size;
    look.fontStyle = style;
    look.multiLine = multiLine;
    label.create(window, x, y, width, height, text, look);
}

void bindPress(dui::DuiControl& control, void (*handler)()) {
    control.bindEvent(513, [handler](const dui::EventArgs&) { handler(); });
}

void setButtonSkin(dui::DuiButton& button, ImageBytes normal, ImageBytes lit) {
    button.setSkin(normal, lit, lit, lit, 1);
}

void createGlyphButton(dui::DuiButton& button, HWND window, int x, ImageBytes normal,
                       ImageBytes lit) {
    dui::TextStyle style;
    style.textColor = dui::argbColor(0xFFFFFF, 255);
    button.create(window, x, 0, 26, 26, "", style);
    setButtonSkin(button, normal, lit);
}

}  // namespace lark
