#include "server/PlanningCalls.h"

namespace server {

using rpc::Param;

framework::ServerAnswer GetCoberturaProp(framework::TNetConnection& net, const std::string& branch,
                                         const std::string& airline, const std::string& flight,
                                         const std::string& leg) {
  return net.Call("GetCoberturaProp",
                  {Param::String(branch), Param::String(airline), Param::String(flight), Param::String(leg)});
}

framework::ServerAnswer GetQtdeParaPax(framework::TNetConnection& net, const std::string& branch,
                                       const std::string& airline, const std::string& flight, const std::string& leg,
                                       const std::string& passengers) {
  return net.Call("GetQtdeParaPax", {Param::String(branch), Param::String(airline), Param::String(flight),
                                     Param::String(leg), Param::String(passengers)});
}

framework::ServerAnswer CopiaPropServico(framework::TNetConnection& net, const std::string& branch,
                                         const std::string& airline, const std::string& flight,
                                         const std::string& leg, const std::string& targets,
                                         const std::string& service, const std::string& mode, bool preview,
                                         const std::string& previewState) {
  std::vector<Param> params{Param::String(branch),  Param::String(airline), Param::String(flight),
                            Param::String(leg),     Param::String(targets), Param::String(service),
                            Param::String(mode),    Param::String(preview ? "S" : "N")};
  if (!previewState.empty()) params.push_back(Param::String(previewState));
  return net.Call("CopiaPropServico", params);
}

framework::ServerAnswer ImportaPropServico(framework::TNetConnection& net, const std::string& branch,
                                           const std::string& airline, const std::string& csv,
                                           const std::string& mode, bool preview, const std::string& previewState) {
  std::vector<Param> params{Param::String(branch), Param::String(airline), Param::String(csv), Param::String(mode),
                            Param::String(preview ? "S" : "N")};
  if (!previewState.empty()) params.push_back(Param::String(previewState));
  return net.Call("ImportaPropServico", params);
}

}  // namespace server
