#pragma once
// The methods of the application server "Ate11600.rdmPropPass", one typed
// call each, arguments in the server's order. Each returns the answer for
// CheckResultServ; none throws for a refusal or a network failure.
#include <string>

#include "framework/NetConnection.h"

namespace server {

// Airline, flight and leg rows. allFlights and allLegs are by reference:
// each takes the string the server sends back for it, in the answer's
// by-reference array (allFlights first); without one they stay as they
// were. Throws packet::PacketError when that array is not valid JSON.
framework::ServerAnswer GetCompanhia(framework::TNetConnection& net, const std::string& sgcia,
                                     const std::string& allAirlines, const std::string& branch,
                                     const std::string& flight, std::string& allFlights, const std::string& leg,
                                     std::string& allLegs);
// The airlines of a branch only (the other filters lifted).
framework::ServerAnswer GetCompanhia(framework::TNetConnection& net, const std::string& sgcia,
                                     const std::string& allAirlines, const std::string& branch);
framework::ServerAnswer GetPropServico(framework::TNetConnection& net, const std::string& branch,
                                       const std::string& airline, const std::string& flight, const std::string& leg);
framework::ServerAnswer GetQtdePropServico(framework::TNetConnection& net, const std::string& branch,
                                           const std::string& airline, const std::string& service,
                                           const std::string& serviceClass, const std::string& cycle,
                                           const std::string& flight, const std::string& leg);
// deltaJson: the change log's wire form (ClientDataSet::DeltaJson).
framework::ServerAnswer SetQtdePropServico(framework::TNetConnection& net, const std::string& deltaJson);
// The same save with an identity and a deadline (wall-clock milliseconds
// since 1970): the server stores it only before the deadline, and
// GetSituacaoGravacao tells later what became of it.
framework::ServerAnswer SetQtdePropServico(framework::TNetConnection& net, const std::string& deltaJson,
                                           const std::string& saveId, double deadlineMs);
// What became of the save with that identity: one row, IDSITUACAO "G"
// stored or "D" not stored (and now never to be).
framework::ServerAnswer GetSituacaoGravacao(framework::TNetConnection& net, const std::string& saveId);
framework::ServerAnswer GetValidaServ(framework::TNetConnection& net, const std::string& service,
                                      const std::string& branch, const std::string& airline,
                                      const std::string& flight, const std::string& leg);
framework::ServerAnswer GetMaiorPax(framework::TNetConnection& net, const std::string& branch,
                                    const std::string& airline, const std::string& service,
                                    const std::string& flight, const std::string& leg);
framework::ServerAnswer GetFindProp(framework::TNetConnection& net, const std::string& branch,
                                    const std::string& airline, const std::string& service, double paxFrom,
                                    double paxTo, const std::string& flight, const std::string& leg);
framework::ServerAnswer GetTestaPropSe(framework::TNetConnection& net, const std::string& branch,
                                       const std::string& airline, const std::string& service, double paxFrom,
                                       double paxTo, const std::string& flight, const std::string& leg);

}  // namespace server
