#pragma once
// The silent exception: it stops the operation in progress and is swallowed
// at the outermost level without a message.

#include <exception>

namespace toolkit {

class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void Abort() { throw EAbort(); }

}  // namespace toolkit
