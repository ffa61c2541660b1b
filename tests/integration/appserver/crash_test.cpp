#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "appserver/db/DbSession.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace appserver_it {
namespace {

// Save n inserts three one-passenger ranges, 3n+1 to 3n+3, of one service on
// a leg that holds no range in the demo.
std::string SaveLog(int n) {
  std::string log = R"({"changes":[)";
  for (int k = 1; k <= 3; ++k) {
    const std::string pax = std::to_string(3 * n + k);
    if (k > 1) log += ",";
    log += R"({"op":"insert","new":{"CDSERVICO":"10101002","CDCIA":"0101","QTPAXDE":)" + pax +
           R"(,"QTSERVICO":1,"QTPAXATE":)" + pax +
           R"(,"CDCICLO":"0001","CDFILIAL":"0001","CDCLASSE":"0002","NRVOO":"1110","CDTRECHO":"02"}})";
  }
  return log + "]}";
}

constexpr int kMaxSaves = 3000;  // 3n+3 stays within 9999 passengers

// Saves one after another until the server goes away, noting the ones it
// acknowledged; an error answer ends the stream and lands in *failure.
void SaveUntilGone(std::uint16_t port, std::atomic<int>& next, std::set<int>& acked, std::string* failure) {
  rpc::ClientOptions options;
  options.callTimeout = std::chrono::seconds(10);
  rpc::Client client("127.0.0.1", port, options);
  try {
    client.Connect("Ate11600.rdmPropPass", "carga", "");
    while (next < kMaxSaves) {
      const int n = next++;
      client.Call("SetQtdePropServico", {rpc::Param::Json(SaveLog(n))});
      acked.insert(n);
    }
  } catch (const rpc::TransportError&) {
    // the kill: the call in flight may or may not have been stored
  } catch (const rpc::RpcError& e) {
    *failure = e.what();
  }
}

TEST(AppServerCrash, KilledAtRandomItLosesNoAcknowledgedSaveAndHalvesNone) {
  TempDir dir;
  const std::string file = (dir.Path() / "ate.db").string();
  const std::vector<std::string> args{"--db",      "sqlite:" + file, "--listen",    "127.0.0.1:0",
                                      "--init-db", "--demo",         "--log-level", "error"};
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pause(20, 150);
  std::atomic<int> next{0};
  std::set<int> acked;
  for (int kill = 0; kill < 12; ++kill) {
    ServerProcess server(args);
    std::string failure;
    std::thread saver(SaveUntilGone, server.Port(), std::ref(next), std::ref(acked), &failure);
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
    server.Kill();
    saver.join();
    ASSERT_EQ(failure, "") << "a save was refused";
  }
  ServerProcess(args).Stop();  // recovery on start, then a clean stop

  auto s = dbsession::Open({dbsession::Dialect::Sqlite, file});
  std::string integrity;
  *s << "PRAGMA integrity_check", soci::into(integrity);
  EXPECT_EQ(integrity, "ok");
  ASSERT_GT(acked.size(), 10u) << "too few saves went through to judge (seed " << seed << ")";
  for (int n = 0; n < next; ++n) {
    int rows = -1, logs = -1;
    const double from = 3 * n + 1, to = 3 * n + 3;
    *s << "SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10101002' AND NRVOO = '1110' AND QTPAXDE BETWEEN :a "
          "AND :b",
        soci::use(from), soci::use(to), soci::into(rows);
    *s << "SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE CDSERVICO_NEW = '10101002' AND QTPAXDE_NEW BETWEEN :a AND :b",
        soci::use(from), soci::use(to), soci::into(logs);
    EXPECT_TRUE(rows == 0 || rows == 3) << "save " << n << " half applied: " << rows << " rows (seed " << seed << ")";
    EXPECT_EQ(logs, rows) << "save " << n;
    if (acked.count(n)) {
      EXPECT_EQ(rows, 3) << "acknowledged save " << n << " lost (seed " << seed << ")";
    }
  }
}

}  // namespace
}  // namespace appserver_it
