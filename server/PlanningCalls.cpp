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

}  // namespace server
