#include "rpc/ErrorReference.h"

#include <cstdio>
#include <random>

namespace rpc {

std::string NewErrorReference() {
  // Per thread: failures on several workers at once need no lock.
  thread_local std::mt19937 random{std::random_device{}()};
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(random()));
  return text;
}

}  // namespace rpc
