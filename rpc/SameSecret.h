#pragma once
// Comparison of secrets (tokens) whose time does not depend on where the
// texts differ, so that timing an answer tells nothing about the secret.

#include <algorithm>
#include <string_view>

namespace rpc {

inline bool SameSecret(std::string_view a, std::string_view b) {
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    diff |= x ^ y;
  }
  return diff == 0;
}

}  // namespace rpc
