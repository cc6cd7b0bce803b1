// The benchmarks' clock: seconds from the platform's performance counter.
#pragma once
#include <windows.h>

inline double seconds_now() {
  static LARGE_INTEGER frequency;
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)now.QuadPart / (double)frequency.QuadPart;
}
