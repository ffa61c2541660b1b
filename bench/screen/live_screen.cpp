#include "live_screen.h"

#include <unistd.h>

#include <stdexcept>

#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "framework/GeneralDatabase.h"
#include "framework/Host.h"
#include "rpc/Dispatcher.h"
#include "rpc/Server.h"
#include "toolkit/controls/Application.h"

namespace fs = std::filesystem;

namespace bench {

LiveScreen::LiveScreen(const std::string& name, const std::function<void(soci::session&)>& fill,
                       const std::string& branch) {
  dir_ = fs::temp_directory_path() / ("ate-" + name + "-" + std::to_string(::getpid()));
  fs::create_directories(dir_);
  const std::string url = "sqlite:" + (dir_ / "ate.db").string();
  sql_ = dbsession::Open(dbsession::ParseUrl(url));
  dbsession::CreateSchema(*sql_);
  fill(*sql_);
  db_ = std::make_unique<appserver::Database>(dbsession::ParseUrl(url));
  dispatcher_ = std::make_unique<rpc::Dispatcher>(appserver::kServerName, "");
  appserver::RegisterMethods(*dispatcher_, *db_);
  rpc::Dispatcher* d = dispatcher_.get();
  rpc::ServerOptions options;
  options.maxRequestRate = 0;  // measuring speed, not the guard against floods
  server_ = std::make_unique<rpc::Server>(options,
                                          [d](std::string_view text, rpc::Session& s) { return d->Handle(text, s); });
  server_->Start();
  framework::HostSettings& host = framework::Host();
  host.webUrl = "127.0.0.1";
  host.webPort = server_->Port();
  host.filiProc = branch;
  toolkit::Application::Instance().Reset();
  toolkit::Application::Instance().SetDialogs(&dialogs);
  framework::dtmDBGeral = new framework::TdtmDBGeral();
  framework::dtmDBGeral->adcGeral->Open(url);
  // The module's globals of a screen an earlier instance opened.
  frmPropPass = nullptr;
  boStCriado = false;
  boActive = false;
  CriaProporServPass();
  screen = frmPropPass;
  if (!dialogs.Messages().empty()) throw std::runtime_error("opening the screen: " + dialogs.Messages()[0]);
}

LiveScreen::~LiveScreen() {
  toolkit::Application::Instance().Reset();
  frmPropPass = nullptr;
  boStCriado = false;
  delete framework::dtmDBGeral;
  framework::dtmDBGeral = nullptr;
  server_.reset();
  sql_.reset();
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

}  // namespace bench
