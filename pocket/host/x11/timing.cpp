#include "timing.h"

#include <time.h>

#include <cstdio>

namespace pk::x11 {

void printTiming(const char* what) {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  std::fprintf(stderr, "timing %s %lld\n", what, (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
  std::fflush(stderr);
}

}  // namespace pk::x11
