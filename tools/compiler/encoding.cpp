// UTF-8 source text to code page 932 through the C library's converter.
#include "encoding.h"
#include <iconv.h>

namespace basc {

// Well-formed UTF-8 with at least one multi-byte character.
static bool isUtf8Beyond7Bits(const std::string &s) {
  bool beyond = false;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = (unsigned char)s[i];
    int extra = c < 0x80             ? 0
                : (c & 0xE0) == 0xC0 ? 1
                : (c & 0xF0) == 0xE0 ? 2
                : (c & 0xF8) == 0xF0 ? 3
                                     : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2) || i + extra > s.size() - 1) return false;
    for (int k = 1; k <= extra; k++)
      if (((unsigned char)s[i + k] & 0xC0) != 0x80) return false;
    beyond |= extra > 0;
    i += 1 + extra;
  }
  return beyond;
}

// Where byte `offset` of the source lies, for the error message.
static Loc locate(const std::string *file, const std::string &s, size_t offset) {
  Loc loc{file, 1, 1};
  for (size_t i = 0; i < offset && i < s.size(); i++) {
    if (s[i] == '\n')
      loc.line++, loc.col = 1;
    else if (((unsigned char)s[i] & 0xC0) != 0x80)
      loc.col++;
  }
  return loc;
}

std::string to_code_page(const std::string *file, const std::string &text) {
  if (!isUtf8Beyond7Bits(text)) return text;
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == (iconv_t)-1)
    error_at({file, 1, 1}, "this system cannot convert UTF-8 to code page 932");
  std::string out(text.size() * 2 + 1, '\0'); /* 932 never needs more bytes than UTF-8 */
  char *in = (char *)text.data(), *to = out.data();
  size_t inLeft = text.size(), outLeft = out.size();
  size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (done == (size_t)-1)
    error_at(locate(file, text, text.size() - inLeft), "a character that code page 932 lacks");
  out.resize(out.size() - outLeft);
  return out;
}

} // namespace basc
