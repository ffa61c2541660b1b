#pragma once
// The command line of ate-appserver.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace appserver {

inline constexpr char kDefaultDb[] = "sqlite:var/ate.db";
inline constexpr char kDefaultListen[] = "127.0.0.1:30316";

struct Options {
  std::string db = kDefaultDb;
  std::string listen = kDefaultListen;
  std::string token;
  bool allowRemote = false;  // listen beyond loopback (then a token is required)
  std::string tlsCert, tlsKey;
  std::size_t maxConnections = 1024;
  std::size_t maxConnectionsPerPeer = 64;  // from one client address
  std::size_t maxMemoryMiB = 256;          // for large requests arriving, all connections together
  int handshakeTimeout = 10;               // seconds a new connection has to complete Connect
  double maxRate = 1000;    // requests per second per connection, 0: no limit
  int idleTimeout = 300;    // seconds without a request before a connection closes
  int frameTimeout = 30;    // seconds for a request to arrive whole once begun
  bool initDb = false;
  bool upgradeDb = false;  // apply the schema scripts an older database lacks
  bool demo = false;
  int threads = 2;
  int saveThreads = 2;       // threads that run saves, apart from the others
  double lockTimeout = 5;    // seconds a save may wait for the database's lock (or its turn)
  double statementTimeout = 30;  // seconds one statement may run (PostgreSQL)
  std::string logLevel = "info";
};

// Parses argv. Returns false, having printed help or the error, when the
// program must stop; exitCode is then what it returns.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode);

// The combinations the server refuses to start with: beyond loopback
// without a token, a TLS certificate without its key or the other way.
// Throws std::invalid_argument saying what to add.
void CheckOptions(const Options& options);

struct Endpoint {
  std::string host;
  std::uint16_t port = 0;
};

// "HOST:PORT", "[IPv6]:PORT"; port 0 asks for any free port. Throws
// std::invalid_argument naming the text.
Endpoint ParseListen(std::string_view text);

}  // namespace appserver
