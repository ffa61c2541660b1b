#include "backend.h"

#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "rpc/Dispatcher.h"

namespace test_support {

namespace {

std::unique_ptr<Backend>& TheBackend() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

}  // namespace

struct Backend::Parts {
  std::unique_ptr<appserver::Database> db;
  std::unique_ptr<rpc::Dispatcher> dispatcher;
  std::unique_ptr<rpc::Server> server;
};

Backend& Backend::Get() {
  if (!TheBackend()) TheBackend().reset(new Backend);
  return *TheBackend();
}

void Backend::Release() { TheBackend().reset(); }

Backend::Backend() : parts_(std::make_unique<Parts>()) {
  url_ = "sqlite:" + (dir_.Path() / "ate.db").string();
  {
    auto session = dbsession::Open(dbsession::ParseUrl(url_));
    dbsession::CreateSchema(*session);
    dbsession::LoadDemo(*session);
  }
  parts_->db = std::make_unique<appserver::Database>(dbsession::ParseUrl(url_));
  parts_->dispatcher = std::make_unique<rpc::Dispatcher>(appserver::kServerName, "");
  appserver::RegisterMethods(*parts_->dispatcher, *parts_->db);
  parts_->server = StartServer();
}

Backend::~Backend() {
  parts_->server.reset();
  parts_.reset();
}

std::uint16_t Backend::Port() const { return parts_->server->Port(); }

rpc::Dispatcher::Outcome Backend::Handle(std::string_view request, rpc::Session& session) {
  return parts_->dispatcher->HandleNow(request, session);
}

std::unique_ptr<rpc::Server> Backend::StartServer(std::uint16_t port) {
  rpc::ServerOptions options;
  options.port = port;
  rpc::Dispatcher* dispatcher = parts_->dispatcher.get();
  auto server = std::make_unique<rpc::Server>(
      options, [dispatcher](std::string_view text, rpc::Session& s) { return dispatcher->Handle(text, s); });
  server->Start();
  return server;
}

}  // namespace test_support
