// How ate-appserver is exposed: loopback unless allowed and then only with
// a token, TLS from its command line.

#include <gtest/gtest.h>

#include "rpc/Client.h"
#include "server_process.h"

namespace appserver_it {
namespace {

constexpr char kServer[] = "Ate11600.rdmPropPass";
const std::string kTls = ATE_TLS_DIR;

std::vector<std::string> Args(const TempDir& dir, const std::string& listen, std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"--db",     "sqlite:" + (dir.Path() / "ate.db").string(),
                                "--listen", listen,
                                "--init-db", "--log-level",
                                "warn"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

TEST(AppServerExposure, BeyondLoopbackNeedsBothTheFlagAndAToken) {
  TempDir dir;
  std::string output;
  EXPECT_NE(ServerProcess::RunToExit(Args(dir, "0.0.0.0:0"), &output), 0);
  EXPECT_NE(output.find("not a loopback address"), std::string::npos) << output;
  EXPECT_NE(ServerProcess::RunToExit(Args(dir, "0.0.0.0:0", {"--allow-remote"}), &output), 0);
  EXPECT_NE(output.find("--allow-remote needs --token"), std::string::npos) << output;
  EXPECT_NE(ServerProcess::RunToExit(Args(dir, "127.0.0.1:0", {"--tls-cert", kTls + "/server.pem"}), &output), 0);
  EXPECT_NE(output.find("--tls-key"), std::string::npos) << output;
}

TEST(AppServerExposure, ServesTlsWithTheGivenCertificate) {
  TempDir dir;
  ServerProcess server(
      Args(dir, "127.0.0.1:0", {"--tls-cert", kTls + "/server.pem", "--tls-key", kTls + "/server.key"}));
  rpc::ClientOptions tls;
  tls.tls = true;
  tls.caFile = kTls + "/ca.pem";
  rpc::Client client("127.0.0.1", server.Port(), tls);
  client.Connect(kServer, "ana", "");
  EXPECT_NE(client.Call("GetMaiorPax", {rpc::Param::String("0001"), rpc::Param::String("0101"),
                                        rpc::Param::String("X"), rpc::Param::String("1"), rpc::Param::String("01")})
                .resultJson.find("rows"),
            std::string::npos);
  rpc::Client plain("127.0.0.1", server.Port());
  EXPECT_THROW(plain.Connect(kServer, "ana", ""), rpc::TransportError);
}

}  // namespace
}  // namespace appserver_it
