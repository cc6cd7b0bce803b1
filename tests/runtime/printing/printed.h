// What the test bed's file printers wrote: the printers' names, where their
// output goes (PRINT_DIR, as Wine names it) and the pages counted in it.
#pragma once
#include <windows.h>
#include <string>

namespace printed {

inline const char kFilePrinter[] = "File Printer";         // the default printer
inline const char kRefusingPrinter[] = "Refusing Printer"; // its port cannot be written

// A Unix path as Wine names it on its Z: drive.
inline std::string wine_path(const std::string &unix) {
  std::string p = "Z:" + unix;
  for (char &c : p)
    if (c == '/') c = '\\';
  return p;
}

inline std::string output() { return wine_path(PRINT_DIR "/runtime.ps"); }

inline std::string read(const std::string &path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[65536];
  DWORD n;
  while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n) text.append(buffer, n);
  CloseHandle(file);
  return text;
}

// The document the file printer wrote, once it is whole (its end-of-file
// comment written), or what there is after ten seconds.
inline std::string document() {
  std::string text;
  for (int tries = 0; tries < 100; tries++, Sleep(100))
    if ((text = read(output())).find("%%EOF") != std::string::npos) break;
  return text;
}

// The PostScript page comments ("%%Page: 1 1") of a document.
inline int pages(const std::string &document) {
  int n = 0;
  for (size_t at = 0; (at = document.find("%%Page:", at)) != std::string::npos; at++)
    n += at == 0 || document[at - 1] == '\n' || document[at - 1] == '\r';
  return n;
}

inline void forget() { DeleteFileA(output().c_str()); }

} // namespace printed
