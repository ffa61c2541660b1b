#include "appserver/Methods.h"

#include <spdlog/spdlog.h>

#include <chrono>

#include "appserver/CopyRanges.h"
#include "appserver/HistoryMethod.h"
#include "appserver/ImportRanges.h"
#include "appserver/PlanningMethods.h"
#include "appserver/ReadMethods.h"
#include "appserver/SaveChanges.h"
#include "appserver/SaveSituation.h"
#include "appserver/StorageFailure.h"
#include "rpc/LogText.h"

namespace appserver {

namespace {

using Clock = std::chrono::steady_clock;

long long MicrosSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

rpc::Dispatcher::Handler Logged(std::string method, rpc::Dispatcher::Handler handler) {
  return
      [method = std::move(method), handler = std::move(handler)](const rpc::Request& request, rpc::Session& session) {
        const Clock::time_point start = Clock::now();
        try {
          rpc::Reply reply = handler(request, session);
          // Asked first: the arguments would be worked out even for a line not written.
          if (spdlog::should_log(spdlog::level::debug))
            spdlog::debug("{} {} {}: ok, {} us", session.peer, session.userInLog, method, MicrosSince(start));
          return reply;
        } catch (const StorageFailure& e) {
          // The operator's business: the cause is here, the client has the reference.
          spdlog::warn("{} {} {} id {}: error {} after {} us, reference {}: {}", session.peer, session.userInLog, method,
                       request.idJson, e.Code(), MicrosSince(start), e.Reference(), rpc::LogText(e.Cause()));
          throw;
        } catch (const rpc::RpcError& e) {
          spdlog::debug("{} {} {}: error {} after {} us: {}", session.peer, session.userInLog, method, e.Code(),
                        MicrosSince(start), rpc::LogText(e.what()));
          throw;
        }
      };
}

}  // namespace

void RegisterMethods(rpc::Dispatcher& dispatcher, Database& db) {
  using Read = rpc::Reply (*)(Database&, const rpc::Request&);
  const std::pair<const char*, Read> reads[] = {
      {"GetCompanhia", GetCompanhia},    {"GetPropServico", GetPropServico}, {"GetQtdePropServico", GetQtdePropServico},
      {"GetValidaServ", GetValidaServ},  {"GetMaiorPax", GetMaiorPax},       {"GetFindProp", GetFindProp},
      {"GetTestaPropSe", GetTestaPropSe}, {"GetCoberturaProp", GetCoberturaProp}, {"GetQtdeParaPax", GetQtdeParaPax},
      {"GetHistoricoProp", GetHistoricoProp}};
  // Not a structured binding: clang 14 (the fuzzing build) cannot capture one.
  for (const auto& entry : reads) {
    const char* name = entry.first;
    const Read read = entry.second;
    dispatcher.Add(name, Logged(name, [&db, read](const rpc::Request& r, rpc::Session&) { return read(db, r); }));
  }
  // These write, so they may wait for a lock: on the slow lane.
  dispatcher.Add("SetQtdePropServico", Logged("SetQtdePropServico", [&db](const rpc::Request& r, rpc::Session& s) {
                   return SetQtdePropServico(db, r, s);
                 }),
                 rpc::Dispatcher::Lane::Slow);
  dispatcher.Add("CopiaPropServico", Logged("CopiaPropServico", [&db](const rpc::Request& r, rpc::Session& s) {
                   return CopiaPropServico(db, r, s);
                 }),
                 rpc::Dispatcher::Lane::Slow);
  dispatcher.Add("ImportaPropServico", Logged("ImportaPropServico", [&db](const rpc::Request& r, rpc::Session& s) {
                   return ImportaPropServico(db, r, s);
                 }),
                 rpc::Dispatcher::Lane::Slow);
  dispatcher.Add("GetSituacaoGravacao", Logged("GetSituacaoGravacao", [&db](const rpc::Request& r, rpc::Session&) {
                   return GetSituacaoGravacao(db, r);
                 }),
                 rpc::Dispatcher::Lane::Slow);
}

}  // namespace appserver
