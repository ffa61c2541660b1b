#pragma once
// What the screen needs to settle a save whose answer was lost: the
// identity and deadline every save carries, and the reading of the
// server's answer about one (GetSituacaoGravacao).
#include <chrono>
#include <string>

#include "framework/ServerAnswer.h"

namespace save_settlement {

struct SaveTicket {
  std::string id;     // 32 random hexadecimal digits
  double deadlineMs;  // wall clock, milliseconds since 1970: now plus the call's time-out
};

// A fresh identity, with the deadline the server must store the save by:
// by then the call has given up waiting for its answer.
SaveTicket NewSaveTicket(std::chrono::milliseconds callTimeout);

enum class SaveFate { Stored, NotStored, Unknown };

// The fate a GetSituacaoGravacao answer tells about the save id: Unknown
// when the call failed or the answer is not one row about that save with
// IDSITUACAO "G" or "D".
SaveFate FateOf(const framework::ServerAnswer& answer, const std::string& id);

}  // namespace save_settlement
