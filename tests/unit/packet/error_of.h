#pragma once
// The message of the PacketError that f throws, or a marker no test expects.

#include <string>

#include "packet/Value.h"

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const packet::PacketError& e) {
    return e.what();
  }
  return "<no PacketError>";
}
