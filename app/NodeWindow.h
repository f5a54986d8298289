// The node window: the user picks the PAC file the next start uses and sees the round-trip time
// to the forwarding node, refreshed every 2.2 s.
#pragma once

#include <windows.h>

#include "app/Forms.h"

namespace lark {

const FormTemplate& nodeWindowTemplate();
void buildNodeWindow(HWND window);
// n = 1, 2 or 3: the node the next start writes; the registry is not touched.
void selectNode(int n);
void showNotInDevelopment();
void hideNodeWindow();
void onLatencyTimer();
// Runs on a worker thread: pings the node and hands the text to the user-interface thread.
void measureLatency();

}  // namespace lark
