#include "server/HistoryCalls.h"

namespace server {

using rpc::Param;

framework::ServerAnswer GetHistoricoProp(framework::TNetConnection& net, const std::string& branch,
                                         const std::string& airline, const std::string& flight, const std::string& leg,
                                         const std::string& service, const std::string& from, const std::string& to,
                                         int pageSize, const std::string& before) {
  return net.Call(
      "GetHistoricoProp",
      {Param::String(branch), Param::String(airline), Param::String(flight), Param::String(leg), Param::String(service),
       Param::String(from), Param::String(to), Param::String(std::to_string(pageSize)), Param::String(before)});
}

}  // namespace server
