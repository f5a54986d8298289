#include "app/AboutWindow.h"

#include "app/Globals.h"

namespace lark {

const FormTemplate& aboutWindowTemplate() {
    static const FormTemplate form{
        .title = "Larkbridge",
        .width = 328,
        .height = 160,
        .visible = false,
        .onCreated = onAboutWindowCreated,
    };
    return form;
}

void onAboutWindowCreated(HWND window) {
    aboutWindowHandle = window;
}

}  // namespace lark
