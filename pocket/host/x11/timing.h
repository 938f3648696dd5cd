// The benchmark's view of the window program (--self-test-timing): when its window mapped
// and when the program's first frame was shown, on the clock the benchmark reads too.
#pragma once

namespace pk::x11 {

// "timing WHAT NANOSECONDS" on standard error, in CLOCK_MONOTONIC nanoseconds.
void printTiming(const char* what);

}  // namespace pk::x11
