// Several stations on one database: stale saves, held locks, sessions that
// die under the server, and what a failure tells the user and the log.

#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <cctype>
#include <future>
#include <sstream>

#include "appserver/Methods.h"
#include "method_test_base.h"
#include "rpc/Client.h"
#include "rpc/Server.h"

namespace appserver_test {
namespace {

json Modify(json before, json after) { return {{"op", "modify"}, {"old", before}, {"new", after}}; }
json Delete(json row) { return {{"op", "delete"}, {"old", row}}; }
json Insert(json row) { return {{"op", "insert"}, {"new", row}}; }

class StationsTest : public MethodTest {
 protected:
  Answer Save(std::vector<json> changes) {
    return Call("SetQtdePropServico", json::array({ChangeLog(std::move(changes))}));
  }
  bool Postgresql() const { return GetParam() == Backend::Postgresql; }
};

// Station X stores another class on a range; station Y, which read the
// range before, saves a new quantity or deletes it: both are conflicts, and
// X's class stays.
TEST_P(StationsTest, AStaleSaveCannotUndoAnotherStationsChangeOfAnyColumn) {
  db_->Side() << "UPDATE PROPSERVICO SET CDCLASSE = '0002' WHERE CDSERVICO = 'S4' AND QTPAXDE = 1";
  EXPECT_EQ(Save({Modify(Range("S4", 1, 20, 3), Range("S4", 1, 20, 4))}).code, 1001);
  EXPECT_EQ(Save({Delete(Range("S4", 1, 20, 3))}).code, 1001);
  db_->Side() << "UPDATE PROPSERVICO SET CDCICLO = '0002' WHERE CDSERVICO = 'S4' AND QTPAXDE = 1";
  EXPECT_EQ(Save({Modify(Range("S4", 1, 20, 3, "01", "0002", "0001"), Range("S4", 1, 20, 4))}).code, 1001);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S4' AND QTPAXDE = 1 AND "
                       "CDCLASSE = '0002' AND CDCICLO = '0002' AND QTSERVICO = 3"),
            1);
  // What is stored now, as read: the save goes through.
  const Answer a = Save({Modify(Range("S4", 1, 20, 3, "01", "0002", "0002"), Range("S4", 1, 20, 4, "01", "0002", "0002"))});
  EXPECT_TRUE(a.ok) << a.message;
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG"), 1);
}

// A failure of the database: the user reads Portuguese and a reference; the
// log line under that reference has the cause, the request's id and the peer.
TEST_P(StationsTest, AStorageFailureTellsTheUserAReferenceAndTheLogItsCause) {
  std::ostringstream log;
  auto logger = std::make_shared<spdlog::logger>("capture", std::make_shared<spdlog::sinks::ostream_sink_mt>(log));
  const auto previous = spdlog::default_logger();
  spdlog::set_default_logger(logger);
  spdlog::set_level(spdlog::level::info);
  db_->Side() << "DROP TABLE PROPSERVICO_LOG";
  const Answer a = Save({Insert(Range("S5", 1, 10, 1))});
  spdlog::set_default_logger(previous);

  EXPECT_EQ(a.code, 1500);
  const std::string ref = a.data.value("ref", "");
  ASSERT_EQ(ref.size(), 8u) << a.data.dump();
  EXPECT_NE(a.message.find("Falha ao acessar o banco de dados"), std::string::npos) << a.message;
  EXPECT_NE(a.message.find("Referência do erro: " + ref + "."), std::string::npos) << a.message;
  EXPECT_EQ(a.message.find("PROPSERVICO"), std::string::npos) << a.message;
  EXPECT_EQ(a.data.dump().find("PROPSERVICO"), std::string::npos) << a.data.dump();
  const std::string text = log.str();
  const std::size_t line = text.find(ref);
  ASSERT_NE(line, std::string::npos) << text;
  const std::string logged = text.substr(text.rfind('\n', line) + 1, text.find('\n', line) - text.rfind('\n', line));
  std::string lower = logged;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("propservico_log"), std::string::npos) << logged;
  EXPECT_NE(logged.find("SetQtdePropServico id "), std::string::npos) << logged;
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S5'"), 0);
}

// A database restart costs no call: a read answers, and a save that had not
// reached its commit is stored once.
TEST_P(StationsTest, ADatabaseRestartCostsNoCall) {
  if (!Postgresql()) GTEST_SKIP() << "an SQLite database has no server to restart";
  const json query = json::array({"0001", "0101", "S1", "", "", "1234", "01"});
  ASSERT_TRUE(Call("GetQtdePropServico", query).ok);
  auto restart = [&] {
    PgInstance::Get(nullptr)->Restart();
    db_->ReopenSide();
  };
  restart();
  const Answer read = Call("GetQtdePropServico", query);
  EXPECT_TRUE(read.ok) << read.message;
  restart();
  const Answer save = Save({Insert(Range("S5", 1, 10, 1))});
  EXPECT_TRUE(save.ok) << save.message;
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S5'"), 1);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG"), 1);
}

// An operator's unfinished transaction holds the write lock. Saves through
// a real server are refused once the lock time-out passes, nothing stored;
// meanwhile reads on the same server are answered.
TEST_P(StationsTest, AHeldLockRefusesSavesInTimeWhileReadsAreAnswered) {
  dbsession::OpenOptions options;
  options.lockTimeout = std::chrono::milliseconds(1500);
  appserver::Database db(db_->Where(), options);
  rpc::Dispatcher dispatcher(appserver::kServerName, "");
  appserver::RegisterMethods(dispatcher, db);
  rpc::ServerOptions serverOptions;
  serverOptions.threads = 1;
  serverOptions.slowThreads = 1;
  rpc::Server server(serverOptions, [&](std::string_view r, rpc::Session& s) { return dispatcher.Handle(r, s); });
  server.Start();

  auto holder = dbsession::Open(db_->Where());
  if (Postgresql()) {
    *holder << "BEGIN";
    *holder << "UPDATE PROPSERVICO SET QTSERVICO = QTSERVICO WHERE CDSERVICO = 'S1'";
  } else {
    *holder << "BEGIN IMMEDIATE";
  }
  auto save = [&](double from) {
    rpc::Client client("127.0.0.1", server.Port());
    client.Connect(appserver::kServerName, "estacao", "");
    try {
      client.Call("SetQtdePropServico",
                  {rpc::Param::Json(ChangeLog({Insert(Range("S5", from, from + 9, 1))}).dump())});
      return 0;
    } catch (const rpc::RpcError& e) {
      return e.Code();
    }
  };
  // Two saves: more than the save threads, so one also waits for its turn.
  std::future<int> first = std::async(std::launch::async, save, 1);
  std::future<int> second = std::async(std::launch::async, save, 11);
  rpc::Client reader("127.0.0.1", server.Port());
  reader.Connect(appserver::kServerName, "leitor", "");
  for (int i = 0; i < 5; ++i) {
    reader.Call("GetQtdePropServico", {rpc::Param::String("0001"), rpc::Param::String("0101"),
                                       rpc::Param::String("S1"), rpc::Param::String(""), rpc::Param::String(""),
                                       rpc::Param::String("1234"), rpc::Param::String("01")});
  }
  // The reads were answered while the saves still waited.
  EXPECT_EQ(first.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  EXPECT_EQ(first.get(), rpc::kStorageBusy);
  EXPECT_EQ(second.get(), rpc::kStorageBusy);
  *holder << "ROLLBACK";
  EXPECT_EQ(save(21), 0);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S5'"), 1);
  server.Stop();
}

// A server that cannot open all its sessions says so when it starts.
TEST_P(StationsTest, ADatabaseWithTooFewSessionsIsFoundAtStartUp) {
  if (!Postgresql()) GTEST_SKIP() << "SQLite has no session limit";
  db_->Side() << "DROP ROLE IF EXISTS ate_limited";
  db_->Side() << "CREATE ROLE ate_limited LOGIN CONNECTION LIMIT 2";
  dbsession::Location where = db_->Where();
  where.target += " user=ate_limited";
  appserver::Database db(where);
  try {
    db.OpenAhead(4);
    FAIL() << "four sessions opened for a role limited to two";
  } catch (const std::runtime_error& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("cannot open 4 database sessions (2 opened)"), std::string::npos) << text;
    EXPECT_NE(text.find("max_connections"), std::string::npos) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, StationsTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
