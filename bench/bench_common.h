// What the benchmarks share: the clock and the record count from the command
// line. The check table's structure comes from the check record itself
// (app/checkrecord.h).
#pragma once

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace qpbench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The record count of argv[1], or `fallback` without one; 0 when the
// argument is not a positive whole number (after saying so).
inline int RecordCount(int argc, char** argv, int fallback, const char* usage) {
  if (argc < 2) return fallback;
  int n = 0;
  const char* end = argv[1] + std::strlen(argv[1]);
  auto [stop, ec] = std::from_chars(argv[1], end, n);
  if (ec != std::errc() || stop != end || n < 1) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return 0;
  }
  return n;
}

}  // namespace qpbench
