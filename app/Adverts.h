// The advert at the bottom of the main window: one picture picked at random from the list on the
// web host, whose click opens the link that belongs to it.
#pragma once

#include <string>

namespace lark {

// The count file's number: leading white space and a sign allowed, digits up to the first
// non-digit; 0 without a number, negative counts as 0, huge values are capped.
int parseAdvertCount(const std::string& text);
// The advert to show for n adverts and a random value: between 1 and n (n of 0 gives 0 or 1).
int chooseAdvert(int n, int randomValue);
// Only web addresses go to the shell: the link comes over plain HTTP and could be tampered with.
bool isWebLink(const std::string& link);

// Fetches the count, link and picture and puts them on the main window (user-interface thread).
void loadAdvert();
// Click handler of the advert picture.
void openAdvert();

}  // namespace lark
