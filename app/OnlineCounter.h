// The online counter: a POST that reports this client to the web host, whose answer holds the
// number of users online, turned into the text of the main window's counter label.
#pragma once

#include <windows.h>

#include <string>

#include "app/Platform.h"

namespace lark {

inline constexpr char kOnlineCounterPath[] = "/zxtj/ine.php";
inline constexpr UINT kOnlineCountIntervalMs = 11000;
// The counter label's text until the first answer (full-width colon, unlike the later texts).
inline constexpr char kOnlineCountInitialText[] = "Larkbridge共有：?人在线使用";

// The label text for the counter's answer body (UTF-8): the count is what stands between
// ("  and  "), empty when either marker is missing.
std::string onlineCountTextFromAnswer(const Bytes& answer);

// Posts to the counter endpoint of `host` and gives the label text. Blocks for up to the
// request's 15 s time-out; a failed request gives the text with an empty count.
std::string fetchOnlineCountText(const std::string& host);

}  // namespace lark
