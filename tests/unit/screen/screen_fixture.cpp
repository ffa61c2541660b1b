#include "screen_fixture.h"

#include <cstdio>

#include "appserver/Methods.h"
#include "framework/GeneralDatabase.h"
#include "toolkit/controls/Application.h"

namespace screen_test {

namespace {

// Stops the server before the program's statics go away.
class BackendEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { Backend::Release(); }
};

const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new BackendEnvironment);

}  // namespace

int CallLog::Count(const std::string& method) const {
  int n = 0;
  for (const Call& c : calls) n += c.method == method;
  return n;
}

std::vector<std::string> CallLog::Last(const std::string& method) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
    if (it->method != method) continue;
    std::vector<std::string> texts;
    for (const rpc::Param& p : it->params) {
      switch (p.kind) {
        case rpc::Param::Kind::Number: {
          char buffer[32];
          std::snprintf(buffer, sizeof buffer, "%.17g", p.number);
          texts.emplace_back(buffer);
          break;
        }
        case rpc::Param::Kind::Null: texts.emplace_back("null"); break;
        case rpc::Param::Kind::Bool: texts.emplace_back(p.boolean ? "true" : "false"); break;
        default: texts.push_back(p.text);
      }
    }
    return texts;
  }
  return {};
}

void ScreenTest::SetUp() {
  Backend& backend = Backend::Get();
  savedHost_ = framework::Host();
  framework::HostSettings& host = framework::Host();
  host.webUrl = "127.0.0.1";
  host.webPort = backend.Port();
  host.token.clear();
  host.moduFili = false;
  host.filiProc = "0001";
  host.dbPict = "99.99.999";
  toolkit::Application::Instance().Reset();
  toolkit::Application::Instance().SetDialogs(&dialogs);
  framework::dtmDBGeral = new framework::TdtmDBGeral();
  framework::dtmDBGeral->adcGeral->Open(backend.DatabaseUrl());
  framework::TNetConnection::SetCallObserver(&calls);
  frmPropPass = nullptr;
  boStCriado = false;
  boActive = false;
}

void ScreenTest::TearDown() {
  framework::TNetConnection::SetCallObserver(nullptr);
  bare_.reset();
  toolkit::Application::Instance().Reset();
  delete framework::dtmDBGeral;
  framework::dtmDBGeral = nullptr;
  framework::Host() = savedHost_;
  frmPropPass = nullptr;
  boStCriado = false;
}

TfrmPropPass& ScreenTest::Open() {
  CriaProporServPass();
  return *frmPropPass;
}

TfrmPropPass& ScreenTest::Bare() {
  bare_ = std::make_unique<TfrmPropPass>();
  return *bare_;
}

std::uint16_t ScreenTest::ClosedPort() {
  std::unique_ptr<rpc::Server> gone = Backend::Get().StartServer();
  const std::uint16_t port = gone->Port();
  gone.reset();
  return port;
}

void ServerCallTest::SetUp() {
  ScreenTest::SetUp();
  net.SetServerName(appserver::kServerName);
  net.SetPort(Backend::Get().Port());
  net.SetConnected(true);
}

void ServerCallTest::TearDown() {
  net.SetConnected(false);
  ScreenTest::TearDown();
}

}  // namespace screen_test
