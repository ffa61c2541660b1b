#include "appserver/PlanningArgs.h"

#include "appserver/Statement.h"
#include "rpc/Dispatcher.h"

namespace appserver {

namespace {

const StatementDef kAirline{
    "SELECT CDCIA, SGCIA FROM COMPANHIA WHERE CDCIA = :cdcia "
    "UNION ALL SELECT CDCIA, SGCIA FROM COMPANHIA WHERE SGCIA = :sgcia",
    {Kind::Text, Kind::Text},
    {Kind::Text, Kind::Text}};

}  // namespace

void BadArgument(std::string_view method, std::size_t index, const std::string& what) {
  throw rpc::RpcError(rpc::kInvalidParams,
                      std::string(method) + ": argument " + std::to_string(index + 1) + " " + what);
}

bool ReplaceMode(const rpc::Request& request, std::size_t index, std::string_view method) {
  const std::string& mode = rpc::StringParam(request, index);
  if (mode != "substituir" && mode != "acrescentar")
    BadArgument(method, index, "(mode) must be \"substituir\" or \"acrescentar\"");
  return mode == "substituir";
}

bool PreviewFlag(const rpc::Request& request, std::size_t index, std::string_view method) {
  const std::string& preview = rpc::StringParam(request, index);
  if (preview != "S" && preview != "N") BadArgument(method, index, "(preview) must be \"S\" or \"N\"");
  return preview == "S";
}

Airline FindAirline(Connection& c, const std::string& given) {
  Statement& st = c.Prepared(kAirline);
  st.SetText(0, given);
  st.SetText(1, given);
  if (!st.ExecuteOne())
    throw rpc::RpcError(rpc::kUnknownReference, "Companhia " + std::string(ClipText(given, 10)) + " não cadastrada.");
  return {st.Text(0), st.Text(1)};
}

}  // namespace appserver
