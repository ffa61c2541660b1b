// ate-echo: the rpc layer alone, answering every call with an empty result
// and no database behind it: the baseline for the application server's
// figures.
//
//   ate-echo --port 5000            answers any method, any handshake
//   ate-echo --port 5000 --dispatch --method GetMaiorPax --token T
//                                   the real Dispatcher: handshake checked,
//                                   only the named methods answered

#include <CLI/CLI.hpp>
#include <spdlog/spdlog.h>

#include <csignal>
#include <iostream>

#include "rpc/Dispatcher.h"
#include "rpc/Server.h"

namespace {

// Decodes the request and answers [] under its id: framing, decoding,
// encoding and the socket loop, nothing else.
rpc::Dispatcher::Outcome Bare(std::string_view request, rpc::Session& session) {
  try {
    const rpc::Request r = rpc::DecodeRequest(request);
    session.connected = true;
    return {rpc::EncodeResult(r.idJson, rpc::Reply{"[]", ""}), false};
  } catch (const rpc::RpcError& e) {
    return {rpc::EncodeError("null", e), false};
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Echo server for load tests: the rpc layer with no database."};
  rpc::ServerOptions options;
  options.threads = 2;
  options.maxRequestRate = 0;  // a baseline for speed: no guard against floods
  options.maxConnectionsPerPeer = 0;  // nor against one address taking every slot
  bool dispatch = false;
  std::string serverName = "Ate11600.rdmPropPass";
  std::string token;
  std::vector<std::string> methods;
  double seconds = 0;
  app.add_option("--address", options.address, "listen address")->capture_default_str();
  app.add_option("--port", options.port, "listen port, 0 for any free one")->capture_default_str();
  app.add_option("--threads", options.threads, "server threads")->capture_default_str()->check(CLI::Range(1, 256));
  app.add_flag("--dispatch", dispatch, "go through the Dispatcher (checked handshake, named methods)");
  app.add_option("--server", serverName, "server name the handshake must give (--dispatch)")->capture_default_str();
  app.add_option("--token", token, "token the handshake must give (--dispatch)");
  app.add_option("--method", methods, "methods answered (--dispatch); default Echo");
  app.add_option("--seconds", seconds, "stop after this long (0: at SIGINT/SIGTERM)")->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  // Blocked before the server threads start, so that only sigtimedwait
  // below receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  rpc::Dispatcher dispatcher(serverName, token);
  if (methods.empty()) methods.push_back("Echo");
  for (const auto& m : methods)
    dispatcher.Add(m, [](const rpc::Request&, rpc::Session&) { return rpc::Reply{"[]", ""}; });

  rpc::Server::Handle handle = Bare;
  if (dispatch)
    handle = [&dispatcher](std::string_view request, rpc::Session& s) { return dispatcher.Handle(request, s); };
  rpc::Server server(options, handle);
  try {
    server.Start();
  } catch (const std::exception& e) {
    std::cerr << "ate-echo: " << e.what() << "\n";
    return 1;
  }
  std::cout << "ate-echo: listening on " << options.address << ":" << server.Port() << std::endl;

  if (seconds > 0) {
    const auto s = static_cast<time_t>(seconds);
    timespec limit{s, static_cast<long>((seconds - static_cast<double>(s)) * 1e9)};
    sigtimedwait(&signals, nullptr, &limit);
  } else {
    int sig = 0;
    sigwait(&signals, &sig);
  }
  server.Stop();
  return 0;
}
