#pragma once
// The answer of one application-server call, as the screens receive it:
// either the result (a data packet, or {} for a save) with the by-reference
// arguments, or the failure with the server's (or the transport's) text.
#include <string>
#include "packet/DataPacket.h"

namespace framework {

struct ServerAnswer {
  bool ok = false;
  std::string resultJson;  // when ok
  std::string byrefJson;   // JSON array of by-reference values, or empty
  int code = 0;            // when not ok: the server's error code, 0 for a transport failure
  std::string message;     // when not ok: the text shown to the user
  // When not ok: the request reached the server whole but its answer never
  // came back, so the server may have carried it out.
  bool answerLost = false;

  static ServerAnswer Success(std::string result, std::string byref = {});
  static ServerAnswer Failure(int code, std::string message);
};

// Checks a server answer. A failed one is shown as an error through the
// dialog service; with abort the operation then stops with EAbort (without,
// an empty packet comes back). A successful one gives its data packet; a
// result of {} (a save) gives an empty packet without fields. A result that
// is not a data packet is a failure of the server: it is reported the same
// way, naming the problem. helpContext is kept for the error dialog.
packet::DataPacket CheckResultServ(const ServerAnswer& answer, bool abort, int helpContext);

}  // namespace framework
