#pragma once
// Errors raised by datasets and fields.

#include <stdexcept>
#include <string>

namespace toolkit {

// A dataset or field operation that cannot be done (closed dataset, unknown
// field, write outside edit state, ...).
class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Text that does not convert to the field's type.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace toolkit
