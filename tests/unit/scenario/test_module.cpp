// A module as small as a screen module can be: a function that may run once
// per load, and a variable.
#include <stdexcept>

namespace {
int calls = 0;
}

extern "C" {

int bumps = 0;

__attribute__((visibility("default"))) void BumpOnce() {
  if (calls++ > 0) throw std::logic_error("BumpOnce ran twice in one load");
  ++bumps;
}
}
