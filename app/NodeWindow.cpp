#include "app/NodeWindow.h"

#include "app/Globals.h"

namespace lark {

const FormTemplate& nodeWindowTemplate() {
    static const FormTemplate form{
        .title = "Larkbridge",
        .width = 328,
        .height = 198,
        .visible = false,
        .onCreated = onNodeWindowCreated,
    };
    return form;
}

void onNodeWindowCreated(HWND window) {
    nodeWindowHandle = window;
}

}  // namespace lark
