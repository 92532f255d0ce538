// Clocks and the best-of loop every benchmark times its work and its
// reference with.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>

namespace bench {

// CPU time of the calling thread: the machine is shared, and time spent
// descheduled would count against whichever side happened to be running.
inline double ThreadNs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

inline double ThreadSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Nanoseconds per call of `body()`: `runs` runs of `reps` calls each, the
// fastest run counting, as the slower ones were disturbed.
template <typename F>
double NsPerCall(F body, int reps, int runs) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    const double t0 = ThreadNs();
    for (int i = 0; i < reps; ++i) body();
    best = std::min(best, (ThreadNs() - t0) / reps);
  }
  return best;
}

// Wall time, for work that waits on other threads, processes or files.
using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

inline double SecondsSince(Clock::time_point start) {
  return Seconds(start, Clock::now());
}

template <typename F>
double SecondsOf(F&& body) {
  const Clock::time_point start = Clock::now();
  body();
  return SecondsSince(start);
}

}  // namespace bench
