#pragma once
// What the encoding and decoding halves of Message.h share. Private to rpc.

#include <string>
#include <string_view>

namespace rpc::detail {

// A member name for a message in single quotes, cut (at a character
// boundary) so that hostile input stays short.
std::string Quoted(std::string_view name);

}  // namespace rpc::detail
