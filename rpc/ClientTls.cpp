#include "rpc/ClientTls.h"

#include <arpa/inet.h>
#include <unistd.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "rpc/Message.h"
#include "rpc/TransportText.h"

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
  return text.empty() ? "erro de TLS desconhecido" : text;
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
  // A file that cannot be read is said so plainly, not in OpenSSL's words.
  int unreadable = 0;
  if (!caFile.empty() && ::access(caFile.c_str(), R_OK) != 0) unreadable = errno;
  int loaded = 0;
  if (!unreadable)
    loaded = caFile.empty() ? SSL_CTX_set_default_verify_paths(context_)
                            : SSL_CTX_load_verify_locations(context_, caFile.c_str(), nullptr);
  if (loaded != 1) {
    const std::string why = unreadable ? ErrnoText(unreadable) : OpenSslErrors();
    SSL_CTX_free(context_);
    throw TransportError("TLS: não foi possível usar as autoridades certificadoras " +
                         (caFile.empty() ? std::string("do sistema") : caFile) + ": " + why);
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

long ClientTls::Step(int result, const char* failure) {
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
  throw TransportError(std::string(failure) + ": " + OpenSslErrors());
}

long ClientTls::Handshake() {
  ERR_clear_error();
  const int result = SSL_do_handshake(ssl_);
  if (result == 1) return 1;
  const long verify = SSL_get_verify_result(ssl_);
  if (verify != X509_V_OK)
    throw TransportError("falha no handshake TLS: o certificado do servidor não é confiável: " +
                         CertificateText(verify));
  const long step = Step(result, "falha no handshake TLS");
  if (step == 0) throw TransportError("falha no handshake TLS: o servidor encerrou a conexão");
  return step;
}

long ClientTls::Read(char* data, std::size_t size) {
  ERR_clear_error();
  const int n = SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
  return Step(n, "falha na leitura TLS");
}

long ClientTls::Write(const char* data, std::size_t size) {
  ERR_clear_error();
  const int n = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
  return Step(n, "falha na escrita TLS");
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
