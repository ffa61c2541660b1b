#pragma once
// The Portuguese a person reads when the application server cannot be
// reached or a call to it fails. The C library's and OpenSSL's own texts
// follow the C locale, not the person's language; they remain only for
// failures too rare to be named here.

#include <string>

namespace rpc {

// The socket error err as a phrase: "conexão recusada" for ECONNREFUSED;
// strerror's text for rare ones.
std::string ErrnoText(int err);
// Why getaddrinfo, which returned rc, could not resolve host.
std::string ResolveText(int rc, const std::string& host);
// "sem resposta em 30000 ms"
std::string NoAnswerText(long long milliseconds);
// Why the server's certificate is not trusted, for an X509_V_ERR_* value,
// as it follows "o certificado do servidor não é confiável: ".
std::string CertificateText(long verifyResult);

}  // namespace rpc
