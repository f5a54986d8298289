// The program as a window program, for the benchmark's runs that need it changed: "--exit" ends
// at once (what loading its DLL imports costs), "--program URL" runs it against another web host.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/Globals.h"
#include "app/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const std::string arguments = commandLine ? commandLine : "";
    if (arguments.rfind("--exit", 0) == 0) return 0;
    if (arguments.rfind("--program ", 0) == 0) lark::webHost = arguments.substr(10);
    return lark::runProgram();
}
