// The count of users online in the main window: this client reports itself to the web host,
// which answers how many are online; refreshed every 11 s on a worker thread.
#pragma once

#include <string>

#include "app/Platform.h"

namespace lark {

// The label text for a counter answer (UTF-8, the count between ("  and  ")).
std::string onlineCountText(const Bytes& answer);
// Asks the web host and shows the answer; from any thread, the label is set on the user-interface
// thread.
void refreshOnlineCount();
// Timer tick: refreshes on a new thread and returns at once.
void onOnlineCountTimer();

}  // namespace lark
