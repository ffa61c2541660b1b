#include "scenario/Failure.h"

#include <charconv>

namespace scenario {

int IntArg(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) Fail("the number " + text + " is out of range");
  return value;
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

}  // namespace scenario
