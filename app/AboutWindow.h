// The about window: created hidden at start-up and shown from the main window.
#pragma once

#include <windows.h>

#include "app/Forms.h"

namespace lark {

const FormTemplate& aboutWindowTemplate();
void onAboutWindowCreated(HWND window);

}  // namespace lark
