// Names compare without regard to letter case throughout the language.
#pragma once
#include <cctype>
#include <string>
#include <string_view>

namespace basc {

inline std::string upper(std::string_view s) {
  std::string u(s);
  for (char &c : u) c = char(std::toupper((unsigned char)c));
  return u;
}

inline bool iequal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (std::toupper((unsigned char)a[i]) != std::toupper((unsigned char)b[i])) return false;
  return true;
}

} // namespace basc
