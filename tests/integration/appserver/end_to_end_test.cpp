#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "appserver/db/DbSession.h"
#include "raw_connection.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace appserver_it {
namespace {

using nlohmann::json;
constexpr char kServer[] = "Ate11600.rdmPropPass";

std::vector<std::string> Args(const TempDir& dir, std::vector<std::string> extra = {}) {
  std::vector<std::string> args{
      "--db", "sqlite:" + (dir.Path() / "var" / "ate.db").string(), "--listen", "127.0.0.1:0", "--log-level", "warn"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

int Count(const TempDir& dir, const std::string& sql) {
  auto s = dbsession::Open({dbsession::Dialect::Sqlite, (dir.Path() / "var" / "ate.db").string()});
  int n = -1;
  *s << sql, soci::into(n);
  return n;
}

std::vector<rpc::Param> Texts(std::vector<std::string> values) {
  std::vector<rpc::Param> out;
  for (auto& v : values) out.push_back(rpc::Param::String(std::move(v)));
  return out;
}

std::size_t RowCount(const rpc::Reply& r) { return json::parse(r.resultJson)["rows"].size(); }

const char kInsert[] =
    R"({"changes":[{"op":"insert","new":{"CDSERVICO":"10101002","CDCIA":"0101","QTPAXDE":1,"QTSERVICO":2,
        "QTPAXATE":30,"CDCICLO":"","CDFILIAL":"0001","CDCLASSE":"","NRVOO":"1110","CDTRECHO":"02"}}]})";

TEST(AppServerProcess, ServesTheDemoOverLoopbackAndKeepsItsData) {
  TempDir dir;
  {
    ServerProcess server(Args(dir, {"--init-db", "--demo"}));
    rpc::Client client("127.0.0.1", server.Port());
    client.Connect(kServer, "ana", "");
    EXPECT_EQ(RowCount(client.Call("GetCompanhia", Texts({"ASUL", "", "0001", "1110", "", "01", ""}))), 1u);
    EXPECT_EQ(RowCount(client.Call("GetQtdePropServico", Texts({"0001", "ASUL", "10101001", "", "", "1110", "01"}))),
              3u);
    client.Call("SetQtdePropServico", {rpc::Param::Json(kInsert)});
    EXPECT_EQ(RowCount(client.Call("GetPropServico", Texts({"0001", "0101", "1110", "02"}))), 1u);
    EXPECT_EQ(server.Stop(), 0) << "SIGTERM stops cleanly";
  }
  // Restarted on the same file: the save is there and the demo is not loaded twice.
  ServerProcess again(Args(dir, {"--init-db", "--demo"}));
  rpc::Client client("127.0.0.1", again.Port());
  client.Connect(kServer, "bia", "");
  EXPECT_EQ(RowCount(client.Call("GetQtdePropServico", Texts({"0001", "0101", "10101002", "", "", "1110", "02"}))), 1u);
  EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM FILIAL"), 3);
  EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE NMUSUARIO = 'ana'"), 1);
}

TEST(AppServerProcess, RefusesWrongTokenOrServerName) {
  TempDir dir;
  ServerProcess server(Args(dir, {"--init-db", "--token", "s3gredo"}));
  rpc::Client wrongToken("127.0.0.1", server.Port());
  EXPECT_THROW(wrongToken.Connect(kServer, "ana", "chute"), rpc::RpcError);
  rpc::Client wrongName("127.0.0.1", server.Port());
  EXPECT_THROW(wrongName.Connect("Outro.Servidor", "ana", "s3gredo"), rpc::RpcError);
  rpc::Client good("127.0.0.1", server.Port());
  good.Connect(kServer, "ana", "s3gredo");
  EXPECT_EQ(RowCount(good.Call("GetMaiorPax", Texts({"0001", "0101", "X", "1", "01"}))), 1u);
}

TEST(AppServerProcess, NoSchemaWithoutInitDbIsAClearStartUpError) {
  TempDir dir;
  std::string output;
  EXPECT_NE(ServerProcess::RunToExit(Args(dir), &output), 0);
  EXPECT_NE(output.find("--init-db"), std::string::npos) << output;
  EXPECT_NE(ServerProcess::RunToExit({"--listen", "nonsense"}, &output), 0);
}

// A database made before saves carried an identity: the server adds the
// table at start-up, without --init-db, and identified saves work on it.
TEST(AppServerProcess, AddsToAnOlderDatabaseTheTableOfSettledSaves) {
  TempDir dir;
  { ServerProcess first(Args(dir, {"--init-db", "--demo"})); }
  {
    auto s = dbsession::Open({dbsession::Dialect::Sqlite, (dir.Path() / "var" / "ate.db").string()});
    *s << "DROP TABLE ATE_GRAVACAO";
  }
  ServerProcess server(Args(dir));
  rpc::Client client("127.0.0.1", server.Port());
  client.Connect(kServer, "ana", "");
  const double later = 1e15;  // far beyond any clock of this century
  client.Call("SetQtdePropServico", {rpc::Param::Json(kInsert), rpc::Param::String("f00d"), rpc::Param::Number(later)});
  const json settled = json::parse(client.Call("GetSituacaoGravacao", Texts({"f00d"})).resultJson);
  EXPECT_EQ(settled["rows"], json::parse(R"([["f00d","G"]])"));
  EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM PROPSERVICO_LOG"), 1);
}

json Request(int id, const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

json Exchange(RawConnection& c, const std::string& payload) {
  c.SendFrame(payload);
  const auto answer = c.ReadFrame();
  if (!answer) throw std::runtime_error("the server closed the connection");
  return json::parse(*answer);
}

int ErrorCode(const json& response) { return response.contains("error") ? response["error"]["code"].get<int>() : 0; }

TEST(AppServerProcess, BadRequestsGetClearErrorsAndLoseNothing) {
  TempDir dir;
  ServerProcess server(Args(dir, {"--init-db", "--demo"}));
  const int ranges = Count(dir, "SELECT COUNT(*) FROM PROPSERVICO");
  {
    // Before the handshake the first bad frame is answered and ends the connection.
    RawConnection stranger(server.Port());
    EXPECT_EQ(ErrorCode(Exchange(stranger, "{not json")), -32700);
    EXPECT_FALSE(stranger.ReadFrame());
  }
  RawConnection c(server.Port());
  const json hello = Request(2, "Connect", {{"server", kServer}, {"user", "ana"}, {"token", ""}});
  EXPECT_EQ(ErrorCode(Exchange(c, hello.dump())), 0);
  // After it, the connection stays usable after frames with bad requests.
  EXPECT_EQ(ErrorCode(Exchange(c, "{not json")), -32700);
  EXPECT_EQ(ErrorCode(Exchange(c, R"({"jsonrpc":"2.0","id":1})")), -32600);
  const std::vector<std::pair<json, int>> cases{
      {Request(3, "DropEverything", json::array()), -32601},
      {Request(4, "GetCompanhia", {1, 2, 3}), -32602},
      {Request(5, "GetFindProp", {"0001", "0101", "S", "1", "2", "1110", "01"}), -32602},
      {Request(6, "SetQtdePropServico", {json{{"changes", {{{"op", "insert"}, {"new", {{"CDSERVICO", "x"}}}}}}}}),
       -32602},
      {Request(7, "SetQtdePropServico", {json{{"changes", {{{"op", "merge"}, {"new", {{"CDSERVICO", "x"}}}}}}}}),
       -32602},
      {Request(8, "GetQtdePropServico",
               {"0001'; DELETE FROM PROPSERVICO; --", "ASUL", "10101001", "", "", "1110", "01"}),
       0}};
  for (const auto& [request, code] : cases) EXPECT_EQ(ErrorCode(Exchange(c, request.dump())), code) << request.dump();
  EXPECT_EQ(ErrorCode(Exchange(c, Request(9, "GetMaiorPax", {"0001", "0101", "10101001", "1110", "01"}).dump())), 0);

  // A frame over the limit closes that connection, and only that one.
  RawConnection oversize(server.Port());
  oversize.Send(std::string("\x7f\xff\xff\xff", 4));
  EXPECT_FALSE(oversize.ReadFrame());
  // A frame cut short by the peer is dropped with its connection.
  {
    RawConnection truncated(server.Port());
    truncated.Send(std::string("\x00\x00\x00\x64{\"json", 10));
  }
  EXPECT_EQ(ErrorCode(Exchange(c, Request(10, "GetMaiorPax", {"0001", "0101", "10101001", "1110", "01"}).dump())), 0);
  EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM PROPSERVICO"), ranges);
  EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM PROPSERVICO_LOG"), 0);
}

TEST(AppServerProcess, AStalledClientDoesNotHoldUpOthers) {
  TempDir dir;
  ServerProcess server(Args(dir, {"--init-db", "--demo", "--threads", "1"}));
  RawConnection stalled(server.Port());
  stalled.Send(std::string("\x00\x00\x01\x00{\"jsonrpc\"", 14));  // and then nothing
  rpc::Client client("127.0.0.1", server.Port());
  client.Connect(kServer, "ana", "");
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(RowCount(client.Call("GetCompanhia", Texts({"", "T", "0001", "", "T", "", "T"}))), 29u);
  }
}

}  // namespace
}  // namespace appserver_it
