#pragma once
// A blocking HTTP/1.1 client on one kept-alive connection, as another
// system would call the app server: POST /rpc with the user's headers.
// For benchmarks; it reads only answers with a Content-Length.

#include <asio.hpp>
#include <cstdint>
#include <string>

class HttpCaller {
 public:
  // Connects at once; throws std::system_error when it cannot.
  HttpCaller(std::uint16_t port, const std::string& user, const std::string& token = {});

  // The answer's body; throws std::runtime_error for a status other than
  // 200 or a connection that closed.
  std::string Post(const std::string& body);

 private:
  asio::io_context io_;
  asio::ip::tcp::socket socket_{io_};
  std::string head_;     // the request's head up to Content-Length's value
  std::string request_;  // reused
  std::string in_;       // received, not yet consumed
};
