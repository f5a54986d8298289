// Lets a test steer the local web host: what it serves, its fault mode and what it has seen.
#pragma once

#include <string>

namespace larktest {

// The web host the program under test talks to.
std::string webHostUrl();

// Serves `body` for `path` until reset.
void setServedFile(const std::string& path, const std::string& body);
// A server-wide fault mode ("hang", "slow-500", "garbage", "oversize", "status-500", "normal").
void setServerMode(const std::string& mode);
// Clears overrides and the mode.
void resetServer();
// The request log so far, one "METHOD PATH STATUS" line each.
std::string serverLog();

// A plain HTTP request from the test itself; gives the body, or an empty text on failure.
std::string request(const std::string& method, const std::string& path,
                    const std::string& body = {});

}  // namespace larktest
