#pragma once
// The fuzz targets' assertion: always on (NDEBUG or not), it prints what broke
// and aborts, which libFuzzer and the replay driver both treat as a crash.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                    \
  do {                                                                                      \
    if (!(cond)) {                                                                          \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond);     \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)
