// What Str of a double gives, computed the C library's way: 7 decimals with
// trailing zeros (and a bare point) removed in the fixed range, else 6 decimals
// in exponent form. The oracle of the number tests and the benchmark.
#pragma once
#include <cmath>
#include <cstdio>
#include <string>

inline std::string reference_str(double x) {
  char text[400];
  if (x == 0) return "0";
  double ax = fabs(x);
  if (ax >= 0.00001 && ax <= 1000000) {
    int n = snprintf(text, sizeof text, "%.7f", x);
    while (text[n - 1] == '0') n--;
    if (text[n - 1] == '.') n--;
    return std::string(text, n);
  }
  snprintf(text, sizeof text, "%.6e", x);
  return text;
}
