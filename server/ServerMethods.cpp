#include "server/ServerMethods.h"

#include <vector>

#include "packet/JsonReader.h"

namespace server {

namespace {

using rpc::Param;

Param S(const std::string& text) { return Param::String(text); }

// The server sends the by-reference arguments back as an array holding
// them in call order. Elements that are not strings, and arguments the
// array does not reach, leave the argument as it was.
void TakeByRef(const framework::ServerAnswer& answer, const std::vector<std::string*>& refs) {
  if (!answer.ok || answer.byrefJson.empty()) return;
  packet::JsonReader reader(answer.byrefJson);
  reader.SetContext("by-reference arguments");
  reader.BeginArray();
  for (std::size_t i = 0; reader.NextElement(); ++i) {
    if (i < refs.size() && reader.Peek() == packet::JsonReader::Token::String)
      *refs[i] = reader.ReadString();
    else
      reader.SkipValue();
  }
}

}  // namespace

framework::ServerAnswer GetCompanhia(framework::TNetConnection& net, const std::string& sgcia,
                                     const std::string& allAirlines, const std::string& branch,
                                     const std::string& flight, std::string& allFlights, const std::string& leg,
                                     std::string& allLegs) {
  framework::ServerAnswer answer =
      net.Call("GetCompanhia", {S(sgcia), S(allAirlines), S(branch), S(flight), S(allFlights), S(leg), S(allLegs)});
  TakeByRef(answer, {&allFlights, &allLegs});
  return answer;
}

framework::ServerAnswer GetCompanhia(framework::TNetConnection& net, const std::string& sgcia,
                                     const std::string& allAirlines, const std::string& branch) {
  return net.Call("GetCompanhia", {S(sgcia), S(allAirlines), S(branch)});
}

framework::ServerAnswer GetPropServico(framework::TNetConnection& net, const std::string& branch,
                                       const std::string& airline, const std::string& flight, const std::string& leg) {
  return net.Call("GetPropServico", {S(branch), S(airline), S(flight), S(leg)});
}

framework::ServerAnswer GetQtdePropServico(framework::TNetConnection& net, const std::string& branch,
                                           const std::string& airline, const std::string& service,
                                           const std::string& serviceClass, const std::string& cycle,
                                           const std::string& flight, const std::string& leg) {
  return net.Call("GetQtdePropServico",
                  {S(branch), S(airline), S(service), S(serviceClass), S(cycle), S(flight), S(leg)});
}

framework::ServerAnswer SetQtdePropServico(framework::TNetConnection& net, const std::string& deltaJson) {
  return net.Call("SetQtdePropServico", {Param::Json(deltaJson)});
}

framework::ServerAnswer SetQtdePropServico(framework::TNetConnection& net, const std::string& deltaJson,
                                           const std::string& saveId, double deadlineMs) {
  return net.Call("SetQtdePropServico", {Param::Json(deltaJson), S(saveId), Param::Number(deadlineMs)});
}

framework::ServerAnswer GetSituacaoGravacao(framework::TNetConnection& net, const std::string& saveId) {
  return net.Call("GetSituacaoGravacao", {S(saveId)});
}

framework::ServerAnswer GetValidaServ(framework::TNetConnection& net, const std::string& service,
                                      const std::string& branch, const std::string& airline,
                                      const std::string& flight, const std::string& leg) {
  return net.Call("GetValidaServ", {S(service), S(branch), S(airline), S(flight), S(leg)});
}

framework::ServerAnswer GetMaiorPax(framework::TNetConnection& net, const std::string& branch,
                                    const std::string& airline, const std::string& service,
                                    const std::string& flight, const std::string& leg) {
  return net.Call("GetMaiorPax", {S(branch), S(airline), S(service), S(flight), S(leg)});
}

framework::ServerAnswer GetFindProp(framework::TNetConnection& net, const std::string& branch,
                                    const std::string& airline, const std::string& service, double paxFrom,
                                    double paxTo, const std::string& flight, const std::string& leg) {
  return net.Call("GetFindProp", {S(branch), S(airline), S(service), Param::Number(paxFrom), Param::Number(paxTo),
                                  S(flight), S(leg)});
}

framework::ServerAnswer GetTestaPropSe(framework::TNetConnection& net, const std::string& branch,
                                       const std::string& airline, const std::string& service, double paxFrom,
                                       double paxTo, const std::string& flight, const std::string& leg) {
  return net.Call("GetTestaPropSe", {S(branch), S(airline), S(service), Param::Number(paxFrom),
                                     Param::Number(paxTo), S(flight), S(leg)});
}

}  // namespace server
