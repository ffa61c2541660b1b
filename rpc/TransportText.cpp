#include "rpc/TransportText.h"

#include <netdb.h>
#include <openssl/x509_vfy.h>

#include <cerrno>
#include <cstring>

namespace rpc {

std::string ErrnoText(int err) {
  switch (err) {
    case ECONNREFUSED: return "conexão recusada";
    case ETIMEDOUT: return "tempo de conexão esgotado";
    case EHOSTUNREACH: return "o endereço não pode ser alcançado";
    case ENETUNREACH: return "a rede não pode ser alcançada";
    case ENETDOWN: return "a rede está fora do ar";
    case ECONNRESET: return "a conexão foi interrompida pelo servidor";
    case ECONNABORTED: return "a conexão foi interrompida";
    case EPIPE: return "a conexão já estava encerrada";
    case EADDRNOTAVAIL: return "endereço indisponível nesta máquina";
    case EAFNOSUPPORT: return "tipo de endereço não suportado";
    case ENOENT: return "arquivo inexistente";
    case EACCES:
    case EPERM: return "permissão negada";
    case EMFILE:
    case ENFILE: return "arquivos abertos demais";
    case ENOBUFS:
    case ENOMEM: return "memória insuficiente";
    default: return std::strerror(err);
  }
}

std::string ResolveText(int rc, const std::string& host) {
  const std::string name = "'" + host + "'";
  switch (rc) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
      return "o nome " + name + " não foi encontrado";
    case EAI_AGAIN: return "o nome " + name + " não pôde ser resolvido agora; tente novamente";
    case EAI_FAIL: return "falha ao resolver o nome " + name;
    case EAI_MEMORY: return ErrnoText(ENOMEM);
    case EAI_SYSTEM: return "falha ao resolver o nome " + name + ": " + ErrnoText(errno);
    default: return "falha ao resolver o nome " + name + ": " + ::gai_strerror(rc);
  }
}

std::string NoAnswerText(long long milliseconds) { return "sem resposta em " + std::to_string(milliseconds) + " ms"; }

std::string CertificateText(long verifyResult) {
  switch (verifyResult) {
    case X509_V_ERR_CERT_HAS_EXPIRED: return "expirou";
    case X509_V_ERR_CERT_NOT_YET_VALID: return "ainda não é válido";
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN: return "é autoassinado";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      return "nenhuma autoridade certificadora conhecida o assinou";
    case X509_V_ERR_HOSTNAME_MISMATCH: return "foi emitido para outro nome";
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return "foi emitido para outro endereço";
    case X509_V_ERR_CERT_REVOKED: return "foi revogado";
    default: return X509_verify_cert_error_string(verifyResult);
  }
}

}  // namespace rpc
