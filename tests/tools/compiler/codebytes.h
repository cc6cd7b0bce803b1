// Compiled images as the compiler's tests read them: a source built with the
// default options, byte patterns in code1, and the call sites of an import.
#pragma once
#include "compile.h"
#include "linktable.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace basc {

inline img::Image build(const std::string &text, bool stackCheck = false) {
  CompileOptions o;
  o.codegen.stackCheck = stackCheck;
  CompileResult r = compile({{"t.bas", text}}, o);
  EXPECT_TRUE(r.ok) << r.error;
  return r.image;
}

// The source fails with one diagnostic that starts "t.bas:<where>: error: "
// and says `message`, and leaves no image.
inline void expect_compile_error(const std::string &source, const char *where,
                                 const char *message) {
  CompileResult r = compile({{"t.bas", source}}, CompileOptions{});
  EXPECT_FALSE(r.ok) << source;
  EXPECT_EQ(r.error.rfind(std::string("t.bas:") + where + ": error: ", 0), 0u) << source << "\n"
                                                                               << r.error;
  EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
  EXPECT_TRUE(r.image.code1.empty());
}

// The offset of the first match of `pattern` ("68 ?? 0f" with ?? any byte), or -1.
inline long find(const img::Bytes &b, const char *pattern, size_t from = 0) {
  std::vector<int> p;
  for (const char *s = pattern; *s;) {
    while (*s == ' ') s++;
    if (!*s) break;
    p.push_back(s[0] == '?' ? -1 : int(std::strtol(std::string(s, 2).c_str(), nullptr, 16)));
    s += 2;
  }
  for (size_t i = from; i + p.size() <= b.size(); i++) {
    size_t k = 0;
    while (k < p.size() && (p[k] < 0 || b[i + k] == p[k])) k++;
    if (k == p.size()) return long(i);
  }
  return -1;
}

// The call sites of an import, as code1 offsets of their E8 bytes.
inline std::vector<uint32_t> sites(const img::Image &im, const std::string &name) {
  std::vector<img::LinkRecord> records;
  std::string error;
  img::decode_link_table(im.code2, &records, &error);
  std::vector<uint32_t> out;
  for (auto &r : records)
    if (r.kind == 1 && r.name == name) {
      img::walk_chain(im.code1, r.value, &out, &error);
      for (uint32_t &s : out) s -= 1;
    }
  return out;
}

} // namespace basc
