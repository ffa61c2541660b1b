#include "rpc/TlsContext.h"

#include <openssl/ssl.h>

#include <stdexcept>

namespace rpc {

asio::ssl::context MakeServerTlsContext(const std::string& certFile, const std::string& keyFile) {
  asio::ssl::context context(asio::ssl::context::tls_server);
  context.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                      asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                      asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use);
  // No session tickets: clients do not resume, and a ticket arriving after
  // the handshake would look like an unread answer on an idle connection.
  SSL_CTX_set_num_tickets(context.native_handle(), 0);
  std::error_code ec;
  context.use_certificate_chain_file(certFile, ec);
  if (ec) throw std::runtime_error("cannot use the TLS certificate " + certFile + ": " + ec.message());
  context.use_private_key_file(keyFile, asio::ssl::context::pem, ec);
  if (ec) throw std::runtime_error("cannot use the TLS key " + keyFile + ": " + ec.message());
  if (SSL_CTX_check_private_key(context.native_handle()) != 1)
    throw std::runtime_error("the TLS key " + keyFile + " does not match the certificate " + certFile);
  return context;
}

}  // namespace rpc
