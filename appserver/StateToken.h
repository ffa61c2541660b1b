#pragma once
// The state token a preview answers and an apply gives back: FNV-1a over the
// values the preview depended on, in the order added, so that the apply can
// tell whether any changed since. The same on every server and back end.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "appserver/ChangeRecords.h"
#include "appserver/Replies.h"

namespace appserver {

class StateToken {
 public:
  void Add(std::string_view text) {
    for (unsigned char c : text) hash_ = (hash_ ^ c) * 1099511628211ull;
    hash_ = (hash_ ^ 0x1fu) * 1099511628211ull;  // ends each value, so that "ab","c" differs from "a","bc"
  }

  // A stored range: its leg, service, bounds, class, cycle and quantity.
  void Add(const PropRow& r) {
    for (const std::string& t :
         {r.voo, r.trecho, r.servico, NumberText(*r.de), NumberText(*r.ate), r.classe.value_or("-"),
          r.ciclo.value_or("-"), r.qtservico ? NumberText(*r.qtservico) : std::string("-")})
      Add(t);
  }

  // 16 hexadecimal digits.
  std::string Text() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
    return text;
  }

 private:
  std::uint64_t hash_ = 14695981039346656037ull;
};

}  // namespace appserver
