#include "framework/ServerAnswer.h"

#include "framework/Helpers.h"
#include "packet/Value.h"
#include "toolkit/data/Abort.h"

namespace framework {

ServerAnswer ServerAnswer::Success(std::string result, std::string byref) {
  ServerAnswer answer;
  answer.ok = true;
  answer.resultJson = std::move(result);
  answer.byrefJson = std::move(byref);
  return answer;
}

ServerAnswer ServerAnswer::Failure(int code, std::string message) {
  ServerAnswer answer;
  answer.code = code;
  answer.message = std::move(message);
  return answer;
}

namespace {

bool IsEmptyObject(std::string_view json) {
  std::string compact;
  for (char c : json)
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') compact += c;
  return compact == "{}";
}

}  // namespace

packet::DataPacket CheckResultServ(const ServerAnswer& answer, bool abort, int /*helpContext*/) {
  std::string failure = answer.message;
  if (answer.ok) {
    if (IsEmptyObject(answer.resultJson)) return {};
    try {
      return packet::DecodePacket(answer.resultJson);
    } catch (const packet::PacketError& e) {
      // A server that answers something else is as good as a failed call:
      // the screen must not go on with rows it cannot trust.
      failure = std::string("Resposta inválida do servidor de aplicação: ") + e.what();
    }
  }
  MensErro(failure, abort);
  return {};
}

}  // namespace framework
