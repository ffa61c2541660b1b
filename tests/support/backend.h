#pragma once
// For tests: a demo database with the application server
// "Ate11600.rdmPropPass" over it on a loopback port, one per program.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "pg_instance.h"
#include "rpc/Server.h"

namespace test_support {

class Backend {
 public:
  // Created on first use.
  static Backend& Get();
  // Stops the server and removes the database; call before the
  // program's statics go away.
  static void Release();
  ~Backend();

  const std::string& DatabaseUrl() const { return url_; }
  std::uint16_t Port() const;
  // Another server with the same methods on the same database; port 0
  // takes any free port.
  std::unique_ptr<rpc::Server> StartServer(std::uint16_t port = 0);
  // One request handled as those servers handle it, for a test's own
  // server that changes what goes back.
  rpc::Dispatcher::Outcome Handle(std::string_view request, rpc::Session& session);

 private:
  Backend();
  struct Parts;
  // Made afresh: a folder named after the process id could be one a
  // killed test program left behind, with its database still in it.
  testsupport::TempDir dir_;
  std::string url_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace test_support
