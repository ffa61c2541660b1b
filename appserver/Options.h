#pragma once
// The command line of ate-appserver.

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
  bool initDb = false;
  bool demo = false;
  int threads = 2;
  std::string logLevel = "info";
};

// Parses argv. Returns false, having printed help or the error, when the
// program must stop; exitCode is then what it returns.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode);

struct Endpoint {
  std::string host;
  std::uint16_t port = 0;
};

// "HOST:PORT", "[IPv6]:PORT"; port 0 asks for any free port. Throws
// std::invalid_argument naming the text.
Endpoint ParseListen(std::string_view text);

}  // namespace appserver
