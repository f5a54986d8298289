// The advert at the bottom of the main window: one picture picked at random from the list on
// the web host, and the link it opens when clicked. Only web links ever reach the shell.
#pragma once

#include <string>

#include "app/Platform.h"

namespace lark {

struct Advert {
    int number = 0;    // k, the advert drawn
    std::string link;  // the advert's link, blanks around it removed; empty when not loaded
    Bytes picture;     // encoded image bytes; empty when not loaded
};

// The number in a count text: leading blanks and a sign allowed, decimal digits up to the first
// non-digit (or zero byte); 0 when there is no number. Values beyond int range are clamped.
int advertCount(const Bytes& text);

// k from 1 to count, drawn from the program's random generator; a count below 1 (negative
// counts as 0) draws between it and 1, so an unreadable count gives 0 or 1.
int drawAdvertNumber(int count);

// Seeds the random generator, reads the advert count from `host`, draws k and fetches that
// advert's link and picture. Blocking: three plain GETs, each bounded.
Advert fetchAdvert(const std::string& host);

// True only for an http:// or https:// URL with a host, free of blanks, control characters,
// quotes, backslashes and commas (Explorer splits its parameter at commas).
bool isWebLink(const std::string& link);

// Opens the link through Explorer when it is a web link; anything else is ignored. Gives
// whether the link was handed to the shell.
bool openAdvert(const std::string& link);

}  // namespace lark
