#include "appserver/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <thread>

namespace appserver {

bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
  options.threads = static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
  CLI::App app{"ate-appserver: the application server Ate11600.rdmPropPass"};
  app.add_option("--db", options.db, "database URL: sqlite:PATH or a PostgreSQL connection string")
      ->capture_default_str();
  app.add_option("--listen", options.listen, "HOST:PORT to listen on (port 0: any free port)")->capture_default_str();
  app.add_option("--token", options.token, "token every client must give when it connects");
  app.add_flag("--allow-remote", options.allowRemote,
               "listen on an address beyond loopback (requires --token; use --tls-cert/--tls-key too)");
  app.add_option("--tls-cert", options.tlsCert, "PEM certificate chain: serve TLS only")->check(CLI::ExistingFile);
  app.add_option("--tls-key", options.tlsKey, "PEM private key of --tls-cert")->check(CLI::ExistingFile);
  app.add_option("--max-connections", options.maxConnections, "connections open at once; more are refused")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  app.add_option("--max-connections-per-peer", options.maxConnectionsPerPeer,
                 "connections one client address may hold open at once (0: no limit); raise it when many stations "
                 "share one address")
      ->check(CLI::Range(0, 100000))
      ->capture_default_str();
  app.add_option("--max-memory", options.maxMemoryMiB,
                 "MiB all connections together may hold for large requests (over 64 KiB) as they arrive")
      ->check(CLI::Range(16, 65536))
      ->capture_default_str();
  app.add_option("--handshake-timeout", options.handshakeTimeout,
                 "seconds a new connection has to complete its Connect before it is closed")
      ->check(CLI::Range(1, 3600))
      ->capture_default_str();
  app.add_option("--max-rate", options.maxRate, "requests per second one connection may make (0: no limit)")
      ->check(CLI::Range(0.0, 1e9))
      ->capture_default_str();
  app.add_option("--idle-timeout", options.idleTimeout, "seconds a connection may stay without a request")
      ->check(CLI::Range(1, 86400))
      ->capture_default_str();
  app.add_option("--frame-timeout", options.frameTimeout, "seconds a begun request may take to arrive whole")
      ->check(CLI::Range(1, 3600))
      ->capture_default_str();
  app.add_flag("--init-db", options.initDb, "create the schema when the database has none");
  app.add_flag("--upgrade-db", options.upgradeDb,
               "bring a database of an older schema version up to this server's, each step in its own transaction "
               "(stop every other app server and back it up first)");
  app.add_flag("--demo", options.demo, "load the demo data when the database holds none");
  app.add_option("--threads", options.threads, "worker threads")->check(CLI::Range(1, 256))->capture_default_str();
  app.add_option("--save-threads", options.saveThreads,
                 "threads that run saves; while saves wait for a lock, the other threads go on serving reads")
      ->check(CLI::Range(1, 64))
      ->capture_default_str();
  app.add_option("--lock-timeout", options.lockTimeout,
                 "seconds a save may wait for another's lock before it is refused (the user can try again)")
      ->check(CLI::Range(0.1, 3600.0))
      ->capture_default_str();
  app.add_option("--statement-timeout", options.statementTimeout,
                 "seconds one database statement may run before it is cancelled (PostgreSQL)")
      ->check(CLI::Range(0.1, 86400.0))
      ->capture_default_str();
  app.add_option("--log-level", options.logLevel, "trace, debug, info, warn, error, critical or off")
      ->check(CLI::IsMember({"trace", "debug", "info", "warn", "error", "critical", "off"}))
      ->capture_default_str();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    exitCode = app.exit(e);
    return false;
  }
  return true;
}

void CheckOptions(const Options& options) {
  if (options.allowRemote && options.token.empty())
    throw std::invalid_argument("--allow-remote needs --token: clients beyond this machine must prove who they are");
  if (options.tlsCert.empty() != options.tlsKey.empty())
    throw std::invalid_argument("TLS needs both --tls-cert and --tls-key");
}

Endpoint ParseListen(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  auto bad = [&](const char* why) { return std::invalid_argument("--listen '" + std::string(text) + "': " + why); };
  if (colon == std::string_view::npos) throw bad("expected HOST:PORT");
  std::string_view host = text.substr(0, colon);
  const std::string_view port = text.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  if (host.empty()) throw bad("no host");
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value > 65535) {
    throw bad("the port must be a number from 0 to 65535");
  }
  return {std::string(host), static_cast<std::uint16_t>(value)};
}

}  // namespace appserver
