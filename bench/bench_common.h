// What the benchmarks share: the clock, the check table's structure, and the
// record count from the command line.
#pragma once

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/dbf.h"

namespace qpbench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The check table's fields, with the notes memo or without it.
inline std::vector<vz::TFieldEntry> CheckStructure(bool with_notes) {
  struct Def {
    const char* name;
    char type;
    int length;
    int decimals;
  };
  const Def defs[] = {{"payee", 'C', 40, 0},      {"amtenglish", 'C', 40, 0}, {"checknum", 'C', 9, 0},
                      {"amtnumbers", 'F', 10, 2}, {"chkdate", 'C', 8, 0},     {"acctnum", 'C', 20, 0},
                      {"abanum", 'C', 9, 0},      {"bcity", 'C', 30, 0},      {"bstate", 'C', 2, 0},
                      {"bzip", 'C', 10, 0},       {"baddress", 'C', 35, 0},   {"bname", 'C', 35, 0},
                      {"pfirstname", 'C', 20, 0}, {"plastname", 'C', 30, 0},  {"paddress", 'C', 40, 0},
                      {"pcity", 'C', 30, 0},      {"pstate", 'C', 2, 0},      {"pzip", 'C', 10, 0}};
  std::vector<vz::TFieldEntry> out;
  for (const Def& d : defs) out.push_back(vz::TFieldEntry::Make(d.name, d.type, d.length, d.decimals));
  if (with_notes) out.push_back(vz::TFieldEntry::Make("notes", 'M', 10, 0));
  return out;
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
