#include "rpc/ClientTls.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>

#include "rpc/Message.h"

namespace rpc {

namespace {

// The queued OpenSSL errors as one text (and the queue emptied).
std::string OpenSslErrors() {
  std::string text;
  while (const unsigned long e = ERR_get_error()) {
    char buffer[256];
    ERR_error_string_n(e, buffer, sizeof buffer);
    if (!text.empty()) text += "; ";
    text += buffer;
  }
  return text.empty() ? "unknown TLS error" : text;
}

bool IsAddress(const std::string& host) {
  unsigned char buffer[16];
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

}  // namespace

ClientTls::ClientTls(const std::string& caFile) {
  context_ = SSL_CTX_new(TLS_client_method());
  if (!context_) throw TransportError("TLS: " + OpenSslErrors());
  SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
  SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, nullptr);
  const int loaded = caFile.empty() ? SSL_CTX_set_default_verify_paths(context_)
                                    : SSL_CTX_load_verify_locations(context_, caFile.c_str(), nullptr);
  if (loaded != 1) {
    const std::string why = OpenSslErrors();
    SSL_CTX_free(context_);
    throw TransportError("TLS: cannot use the certificate authorities " +
                         (caFile.empty() ? std::string("of the system") : caFile) + ": " + why);
  }
  // A write repeated after kWantWrite may come from a moved buffer.
  SSL_CTX_set_mode(context_, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
}

ClientTls::~ClientTls() {
  End();
  SSL_CTX_free(context_);
}

void ClientTls::Begin(int fd, const std::string& host) {
  End();
  ERR_clear_error();
  ssl_ = SSL_new(context_);
  if (!ssl_ || SSL_set_fd(ssl_, fd) != 1) throw TransportError("TLS: " + OpenSslErrors());
  X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
  if (IsAddress(host)) {
    X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
  } else {
    SSL_set_tlsext_host_name(ssl_, host.c_str());
    X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
  }
  SSL_set_connect_state(ssl_);
}

long ClientTls::Step(int result, const char* what) {
  if (result > 0) return result;
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
      return kWantRead;
    case SSL_ERROR_WANT_WRITE:
      return kWantWrite;
    case SSL_ERROR_ZERO_RETURN:
      return 0;
    case SSL_ERROR_SYSCALL:
      if (ERR_peek_error() == 0) return 0;  // the peer went without a close_notify
      break;
    default:
      break;
  }
  throw TransportError(std::string("TLS ") + what + " failed: " + OpenSslErrors());
}

long ClientTls::Handshake() {
  ERR_clear_error();
  const int result = SSL_do_handshake(ssl_);
  if (result == 1) return 1;
  const long verify = SSL_get_verify_result(ssl_);
  if (verify != X509_V_OK)
    throw TransportError(std::string("TLS handshake failed: the server's certificate is not trusted: ") +
                         X509_verify_cert_error_string(verify));
  const long step = Step(result, "handshake");
  if (step == 0) throw TransportError("TLS handshake failed: the server closed the connection");
  return step;
}

long ClientTls::Read(char* data, std::size_t size) {
  ERR_clear_error();
  return Step(SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX))), "read");
}

long ClientTls::Write(const char* data, std::size_t size) {
  ERR_clear_error();
  return Step(SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX))), "write");
}

bool ClientTls::Pending() const { return ssl_ && SSL_pending(ssl_) > 0; }

bool ClientTls::ClosedWhileIdle() {
  char byte;
  ERR_clear_error();
  const int n = SSL_peek(ssl_, &byte, 1);
  if (n > 0) return true;  // bytes for no request: start afresh
  return SSL_get_error(ssl_, n) != SSL_ERROR_WANT_READ;
}

void ClientTls::End() {
  if (ssl_) SSL_free(ssl_);
  ssl_ = nullptr;
}

}  // namespace rpc
