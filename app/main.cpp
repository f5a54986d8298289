// larkbridge.exe: the whole program lives in the application library.
#include <windows.h>

#include "app/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return lark::runProgram();
}
