// ate-appserver: serves the application server "Ate11600.rdmPropPass" over
// TCP until SIGINT or SIGTERM.

#include <pthread.h>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <csignal>
#include <filesystem>
#include <iostream>

#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/Options.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SchemaVersion.h"
#include "appserver/db/UrlText.h"
#include "rpc/Server.h"

namespace {

// A database of another schema version is refused, unless it is older and
// the operator asked for the upgrade.
void UpgradeAsAsked(soci::session& session, bool upgrade) {
  const int needed = dbsession::LatestSchemaVersion();
  const int found = dbsession::SchemaVersionOf(session);
  if (found > needed || (found < needed && !upgrade))
    throw std::runtime_error(dbsession::SchemaVersionRefusal(found, needed));
  // Tables added to version 1 before there were versions.
  dbsession::AddMissingTables(session);
  dbsession::UpgradeSchema(session, dbsession::Migrations(), [](const dbsession::Migration& m) {
    spdlog::info("schema upgraded to version {} ({})", m.version, m.name);
  });
}

// Creates the schema (or upgrades an older one as asked) and
// loads the demo as asked, on a session of its own.
// Throws std::runtime_error when the database has no schema and may not
// get one.
void PrepareDatabase(const dbsession::Location& where, const appserver::Options& options) {
  // Started in the wrong folder, a server must not leave an empty database
  // behind for the next one to find.
  if (where.dialect == dbsession::Dialect::Sqlite && !options.initDb && !std::filesystem::exists(where.target))
    throw std::runtime_error("the database " + where.target + " does not exist; start once with --init-db");
  dbsession::EnsureParentFolder(where);
  const auto session = dbsession::Open(where);
  if (!dbsession::HasSchema(*session)) {
    if (!options.initDb) throw std::runtime_error("the database has no schema; start once with --init-db");
    dbsession::CreateSchema(*session);
    spdlog::info("schema created at version {}", dbsession::LatestSchemaVersion());
  } else {
    UpgradeAsAsked(*session, options.upgradeDb);
  }
  if (options.demo) {
    if (dbsession::HasData(*session)) {
      spdlog::info("the database already holds data; demo not loaded");
    } else {
      dbsession::LoadDemo(*session);
      spdlog::info("demo data loaded");
    }
  }
}

std::chrono::milliseconds Millis(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

int Serve(const appserver::Options& options) {
  appserver::CheckOptions(options);
  const dbsession::Location where = dbsession::ParseUrl(options.db);
  const appserver::Endpoint endpoint = appserver::ParseListen(options.listen);
  PrepareDatabase(where, options);

  dbsession::OpenOptions openOptions;
  openOptions.lockTimeout = Millis(options.lockTimeout);
  openOptions.statementTimeout = Millis(options.statementTimeout);
  appserver::Database db(where, openOptions);
  // Every worker keeps a session: a database that cannot give them all is
  // told at start-up, not by failures under load.
  db.OpenAhead(static_cast<std::size_t>(options.threads + options.saveThreads));
  rpc::Dispatcher dispatcher(appserver::kServerName, options.token);
  appserver::RegisterMethods(dispatcher, db);

  // Blocked before any thread starts, so that only sigwait below sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  rpc::ServerOptions serverOptions;
  serverOptions.address = endpoint.host;
  serverOptions.port = endpoint.port;
  serverOptions.threads = options.threads;
  serverOptions.slowThreads = options.saveThreads;
  serverOptions.allowRemote = options.allowRemote;
  serverOptions.tlsCert = options.tlsCert;
  serverOptions.tlsKey = options.tlsKey;
  serverOptions.maxConnections = options.maxConnections;
  serverOptions.maxConnectionsPerPeer = options.maxConnectionsPerPeer;
  serverOptions.maxMemory = options.maxMemoryMiB << 20;
  serverOptions.handshakeTimeout = std::chrono::seconds(options.handshakeTimeout);
  serverOptions.maxRequestRate = options.maxRate;
  serverOptions.idleTimeout = std::chrono::seconds(options.idleTimeout);
  serverOptions.frameTimeout = std::chrono::seconds(options.frameTimeout);
  serverOptions.httpServerName = appserver::kServerName;  // JSON-RPC over HTTP on the same port
  rpc::Server server(serverOptions, [&dispatcher](std::string_view request, rpc::Session& session) {
    return dispatcher.Handle(request, session);
  });
  server.Start();
  std::cout << "ate-appserver listening on " << endpoint.host << ':' << server.Port() << std::endl;
  spdlog::info("serving {} with {} threads and {} for saves", dbsession::WithoutPassword(options.db),
               options.threads, options.saveThreads);

  int signal = 0;
  sigwait(&stopSignals, &signal);
  spdlog::info("signal {}: stopping", signal);
  server.Stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  appserver::Options options;
  int exitCode = 0;
  if (!appserver::ParseOptions(argc, argv, options, exitCode)) return exitCode;
  // Logs go to stderr: stdout carries the one line that tells the port.
  spdlog::set_default_logger(spdlog::stderr_color_mt("ate-appserver"));
  spdlog::set_level(spdlog::level::from_str(options.logLevel));
  try {
    return Serve(options);
  } catch (const std::exception& e) {
    spdlog::critical("{}", dbsession::WithoutSecretsOf(options.db, e.what()));
    return 1;
  }
}
