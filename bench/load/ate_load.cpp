// ate-load: load generator for the application server (loopback only).
//
//   ate-load --port 5000 --method GetMaiorPax --params '["0001","XY","1234","01","S1","",""]'

#include <CLI/CLI.hpp>
#include <spdlog/spdlog.h>

#include <iostream>

#include "LoadGen.h"

int main(int argc, char** argv) {
  CLI::App app{"Calls one method of the application server from many connections at once and reports "
               "throughput and latency. Exit status 1 when any call failed."};
  loadgen::LoadOptions o;
  double seconds = 10;
  std::string params = "[]";
  long long timeoutMs = 10000;
  app.add_option("--host", o.host, "server address; loopback only")->capture_default_str();
  app.add_option("--port", o.port, "server port")->required()->check(CLI::Range(1, 65535));
  app.add_option("--server", o.server, "server name sent with Connect")->capture_default_str();
  app.add_option("--user", o.user, "login name sent with Connect")->capture_default_str();
  app.add_option("--token", o.token, "token sent with Connect");
  app.add_option("--connections", o.connections, "connections, one thread each")
      ->capture_default_str()
      ->check(CLI::Range(1, 4096));
  app.add_option("--seconds", seconds, "bound on the run time")->capture_default_str()->check(CLI::PositiveNumber);
  app.add_option("--calls", o.maxCalls, "bound on the number of calls, all connections together (0: none)");
  app.add_option("--method", o.method, "method to call")->required();
  app.add_option("--params", params, "arguments as a JSON array")->capture_default_str();
  app.add_option("--timeout", timeoutMs, "call time-out in milliseconds")
      ->capture_default_str()
      ->check(CLI::Range(1LL, 3600000LL));
  CLI11_PARSE(app, argc, argv);

  if (!loadgen::IsLoopback(o.host)) {
    std::cerr << "ate-load: --host " << o.host << " is not a loopback address; only local servers are loaded\n";
    return 2;
  }
  try {
    o.params = loadgen::ParseParams(params);
  } catch (const std::invalid_argument& e) {
    std::cerr << "ate-load: " << e.what() << "\n";
    return 2;
  }
  o.duration = std::chrono::duration<double>(seconds);
  o.callTimeout = std::chrono::milliseconds(timeoutMs);
  spdlog::set_level(spdlog::level::warn);

  const loadgen::LoadResult result = loadgen::RunLoad(o);
  loadgen::PrintReport(std::cout, o, result);
  return result.errors ? 1 : 0;
}
