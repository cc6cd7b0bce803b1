// Text conversions between the driver's UTF-8 and the W APIs' UTF-16.
#include "text.h"
#include <windows.h>

namespace text {

std::string utf8(const std::wstring &wide) {
  if (wide.empty()) return "";
  int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring wide(const std::string &utf8) {
  if (utf8.empty()) return L"";
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), out.data(), n);
  return out;
}

std::string quote(const std::string &utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += (char)c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20) {
      char hex[8];
      wsprintfA(hex, "\\x%02x", c);
      out += hex;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

std::string caption(const std::string &utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size() && utf8[i] != '\t'; i++) {
    if (utf8[i] == '&' && i + 1 < utf8.size()) i++; /* the mnemonic marker, or && for & */
    out += utf8[i];
  }
  return out;
}

bool names(const std::string &raw, const std::string &wanted) {
  if (raw == wanted) return true;
  std::string shown = caption(raw);
  if (shown == wanted) return true;
  size_t n = shown.size();
  return n >= 3 && shown[n - 3] == '(' && shown[n - 1] == ')' && shown.substr(0, n - 3) == wanted;
}

} // namespace text
