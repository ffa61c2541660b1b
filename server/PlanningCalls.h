#pragma once
// The planning tools' calls to the application server, beside the screen's
// own methods: arguments as text, in the server's order; each returns the
// answer for CheckResultServ and never throws for a refusal or a network
// failure.
#include <string>

#include "framework/NetConnection.h"

namespace server {

// One row per hole of every service of the leg (see the server's method).
framework::ServerAnswer GetCoberturaProp(framework::TNetConnection& net, const std::string& branch,
                                         const std::string& airline, const std::string& flight,
                                         const std::string& leg);
// One row per service of the leg with what it gets for that many
// passengers (a whole number from 1 to 9999, as typed).
framework::ServerAnswer GetQtdeParaPax(framework::TNetConnection& net, const std::string& branch,
                                       const std::string& airline, const std::string& flight, const std::string& leg,
                                       const std::string& passengers);

// The source leg's ranges (of one service, or "" for all) copied to the
// target legs ("NRVOO/CDTRECHO" separated by ";"), mode "substituir" or
// "acrescentar"; preview true stores nothing. An apply given the state
// token of its preview is refused when the ranges changed since.
framework::ServerAnswer CopiaPropServico(framework::TNetConnection& net, const std::string& branch,
                                         const std::string& airline, const std::string& flight,
                                         const std::string& leg, const std::string& targets,
                                         const std::string& service, const std::string& mode, bool preview,
                                         const std::string& previewState = "");

// The CSV's text (the export's format) imported into the airline's ranges
// at the branch, mode "substituir" or "acrescentar"; preview true stores
// nothing; an apply given its preview's state token is refused when the
// ranges changed since.
framework::ServerAnswer ImportaPropServico(framework::TNetConnection& net, const std::string& branch,
                                           const std::string& airline, const std::string& csv,
                                           const std::string& mode, bool preview,
                                           const std::string& previewState = "");

}  // namespace server
