#pragma once
// Exact equality of packet values for the fuzz targets: numbers bit for bit,
// so that -0.0 and 0.0 are told apart.

#include <cstring>

#include "packet/Value.h"

inline bool SameValue(const packet::Value& a, const packet::Value& b) {
  if (a.index() != b.index()) return false;
  if (const double* x = std::get_if<double>(&a)) {
    const double y = std::get<double>(b);
    return std::memcmp(x, &y, sizeof y) == 0;
  }
  return a == b;
}

inline bool SameRow(const packet::Row& a, const packet::Row& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameValue(a[i], b[i])) return false;
  return true;
}
