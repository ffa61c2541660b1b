#pragma once
// A reference for one failure: the client is told it, the server's log
// line carries it, and support finds the one from the other. The cause
// itself (driver texts, SQL, values) stays in the log.

#include <string>

namespace rpc {

// Eight hexadecimal digits, random, different for each call in practice.
std::string NewErrorReference();

}  // namespace rpc
