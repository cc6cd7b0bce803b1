// Runtime strings for the text tests: made from std::string, released at the
// end of the scope, and results read back into std::string and released.
#pragma once
#include "text/string.h"
#include <string>
#include <windows.h>

class Text {
public:
  Text(const std::string &t) : s(str_make(t.data(), (int32_t)t.size())) {}
  Text(const Text &) = delete;
  ~Text() { RuntimeUnlockString(s); }
  operator RString *() const { return s; }

private:
  RString *s;
};

inline std::string take(RString *r) {
  std::string t(str_cview(r), str_len(r));
  RuntimeUnlockString(r);
  return t;
}

inline bool japanese_code_page() { return GetACP() == 932; }
