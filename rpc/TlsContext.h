#pragma once
// TLS set-up shared by the server and its tests.

#include <asio/ssl/context.hpp>
#include <string>

namespace rpc {

// A server context with the PEM certificate chain and private key, TLS 1.2
// or later. Throws std::runtime_error naming the file that cannot be used.
asio::ssl::context MakeServerTlsContext(const std::string& certFile, const std::string& keyFile);

}  // namespace rpc
