// The about window: the product's name, a short information text and the way to the web site.
#pragma once

#include <windows.h>

#include "app/Forms.h"

namespace lark {

const FormTemplate& aboutWindowTemplate();
void buildAboutWindow(HWND window);
void hideAboutWindow();
// Opens the root of the maker's web host in the default browser.
void openMakerSite();

}  // namespace lark
