#pragma once
// What the planning writes (copy, import) read alike: the mode, the preview
// flag and the airline, named by its code or its short code.
#include <cstddef>
#include <string>
#include <string_view>

#include "appserver/Database.h"
#include "rpc/Message.h"

namespace appserver {

// Throws RpcError kInvalidParams: "<method>: argument <index + 1> <what>".
[[noreturn]] void BadArgument(std::string_view method, std::size_t index, const std::string& what);

// MODO at index: true for "substituir", false for "acrescentar"; anything
// else is a bad argument.
bool ReplaceMode(const rpc::Request& request, std::size_t index, std::string_view method);
// PREVIA at index: true for "S", false for "N"; anything else is a bad
// argument.
bool PreviewFlag(const rpc::Request& request, std::size_t index, std::string_view method);

struct Airline {
  std::string code, shortCode;  // CDCIA, SGCIA
};

// The airline whose code, or else whose short code, is given; RpcError
// kUnknownReference when none.
Airline FindAirline(Connection& c, const std::string& given);

}  // namespace appserver
