// The node window: created hidden at start-up and shown from the main window.
#pragma once

#include <windows.h>

#include "app/Forms.h"

namespace lark {

const FormTemplate& nodeWindowTemplate();
void onNodeWindowCreated(HWND window);

}  // namespace lark
