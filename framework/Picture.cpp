#include "framework/Picture.h"

#include <stdexcept>

#include "framework/Host.h"

namespace framework {

TPicture::TPicture(std::string picture) : picture_(std::move(picture)) {
  if (picture_.empty()) throw std::invalid_argument("[Product] DBPict está vazio: o código de produto não tem máscara.");
}

// Literals are saved with the code (stored codes carry their separators)
// and '_' marks the places still to type.
std::string TPicture::EditMask() const { return picture_ + ";1;_"; }

int TPicture::GetTtNiveis() const {
  int levels = 0;
  bool inGroup = false;
  for (char c : picture_) {
    const bool digit = c == '9' || c == '0' || c == '#';
    if (digit && !inGroup) ++levels;
    inGroup = digit;
  }
  return levels;
}

TPicture DBPictObj(int kind) {
  if (kind != 0) throw std::invalid_argument("The host has no product-code picture of kind " + std::to_string(kind));
  return TPicture(Host().dbPict);
}

std::string DBPict(int kind) { return DBPictObj(kind).EditMask(); }

}  // namespace framework
