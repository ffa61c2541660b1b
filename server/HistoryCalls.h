#pragma once
// The history of a leg's ranges from the application server: arguments in
// the server's order, the answer for CheckResultServ; never throws for a
// refusal or a network failure.
#include <string>

#include "framework/NetConnection.h"

namespace server {

// One page of the changes stored on the leg (of one service, or "" for
// every one), newest first: at most pageSize (1 to 500) rows, only those
// logged from `from` (inclusive) to `to` (exclusive), each "" for no bound
// or a UTC time "YYYY-MM-DD HH:MM:SS"; before "" for the newest page, else
// the IDLOG of the last row of the page before. A page shorter than
// pageSize is the last.
framework::ServerAnswer GetHistoricoProp(framework::TNetConnection& net, const std::string& branch,
                                         const std::string& airline, const std::string& flight,
                                         const std::string& leg, const std::string& service,
                                         const std::string& from, const std::string& to, int pageSize,
                                         const std::string& before);

}  // namespace server
