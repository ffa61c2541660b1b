#pragma once
// The client's side of TLS over a connected non-blocking socket: the
// server's certificate is checked against the given authorities and the
// name (or address) the client connected to.

#include <openssl/types.h>

#include <cstddef>
#include <string>

namespace rpc {

class ClientTls {
 public:
  // What an I/O step did: moved bytes (> 0), found the peer closed (0), or
  // must wait until the socket is readable (kWantRead) or writable
  // (kWantWrite) and then be repeated with the same arguments.
  static constexpr long kWantRead = -1;
  static constexpr long kWantWrite = -2;

  // caFile empty: the system's authorities. Throws TransportError when the
  // file cannot be used.
  explicit ClientTls(const std::string& caFile);
  ~ClientTls();
  ClientTls(const ClientTls&) = delete;
  ClientTls& operator=(const ClientTls&) = delete;

  // Starts a session on fd for host (a name or a numeric address).
  void Begin(int fd, const std::string& host);
  // One step of the handshake: 1 done, or kWantRead/kWantWrite. Throws
  // TransportError saying why the handshake failed (the certificate's
  // verification error when there is one).
  long Handshake();
  // Throw TransportError on a TLS failure; see the values above.
  long Read(char* data, std::size_t size);
  long Write(const char* data, std::size_t size);
  // Decrypted bytes already waiting, which the socket's readiness won't show.
  bool Pending() const;
  // True when the idle connection has been closed by the server (or bytes
  // for no request arrived); false when it is still usable.
  bool ClosedWhileIdle();
  // Forgets the session (the socket is the caller's to close).
  void End();

 private:
  // failure names the step in the error it throws: "falha na leitura TLS".
  long Step(int result, const char* failure);
  SSL_CTX* context_ = nullptr;
  SSL* ssl_ = nullptr;
};

}  // namespace rpc
