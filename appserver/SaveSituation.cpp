#include "appserver/SaveSituation.h"

#include "appserver/Fields.h"
#include "appserver/Replies.h"
#include "appserver/SettledSaves.h"
#include "rpc/Dispatcher.h"

namespace appserver {

rpc::Reply GetSituacaoGravacao(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 1, 1);
  const std::optional<SaveIdentity> identity = ReadSaveIdentity(request, 0);
  const char situation = WithConnection(db, [&](Connection& c) {
    return SettleSave(c, identity->id, UtcTimestamp(std::chrono::system_clock::now()));
  });
  std::vector<packet::Row> rows;
  rows.push_back(packet::Row{identity->id, std::string(1, situation)});
  return PacketReply(fields::SituacaoGravacao(), std::move(rows));
}

}  // namespace appserver
