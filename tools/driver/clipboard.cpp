// The driver's clipboard commands: another program's view of what is on the
// clipboard (its text, or its picture's size and a few pixels), and text put
// there for a program to read.
#include "commands.h"
#include "text.h"
#include <cstdio>
#include <cstring>

namespace script {

// Opens the clipboard, waiting while another program holds it.
static bool openClipboard(Session &s, const Args &a) {
  if (waitFor(a.seconds(s), [] { return OpenClipboard(nullptr) != FALSE; })) return true;
  s.error = "the clipboard stays open in another program";
  return false;
}

bool doClipboard(Session &s, const Args &a) {
  if (!openClipboard(s, a)) return false;
  std::string text;
  bool found = false;
  if (HANDLE h = GetClipboardData(CF_TEXT))
    if (const char *p = (const char *)GlobalLock(h)) {
      text.assign(p, strnlen(p, GlobalSize(h)));
      found = true;
      GlobalUnlock(h);
    }
  CloseClipboard();
  if (!found) {
    s.error = "no text on the clipboard";
    return false;
  }
  printf("clipboard %s\n", text::quote(text).c_str());
  return true;
}

// 0xRRGGBB of the pixel (x, y) of a packed DIB of 24 or 32 bits a pixel.
static unsigned dibPixel(const BITMAPINFOHEADER *h, int x, int y) {
  int bytes = h->biBitCount / 8, height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  int row = h->biHeight < 0 ? y : height - 1 - y;
  size_t stride = ((size_t)h->biWidth * h->biBitCount + 31) / 32 * 4;
  const uint8_t *p = (const uint8_t *)h + h->biSize + (h->biCompression == BI_BITFIELDS ? 12 : 0) +
                     h->biClrUsed * 4 + stride * row + (size_t)x * bytes;
  return (unsigned)(p[2] << 16 | p[1] << 8 | p[0]);
}

// A DIB of 24 or 32 bits a pixel whose pixels lie within the block.
static bool dibFits(const BITMAPINFOHEADER *h, size_t size) {
  if (size < sizeof *h || h->biSize < sizeof *h || h->biWidth <= 0 || h->biHeight == 0 ||
      (h->biBitCount != 24 && h->biBitCount != 32) || h->biClrUsed > 256)
    return false;
  uint64_t height = h->biHeight < 0 ? -(int64_t)h->biHeight : h->biHeight;
  uint64_t stride = ((uint64_t)h->biWidth * h->biBitCount + 31) / 32 * 4;
  uint64_t masks = h->biCompression == BI_BITFIELDS ? 12 : 0;
  return h->biSize + masks + h->biClrUsed * 4 + stride * height <= size;
}

bool doClipboardPicture(Session &s, const Args &a) {
  if (!openClipboard(s, a)) return false;
  std::string line;
  HANDLE h = GetClipboardData(CF_DIB);
  const BITMAPINFOHEADER *info = h ? (const BITMAPINFOHEADER *)GlobalLock(h) : nullptr;
  if (info && dibFits(info, GlobalSize(h))) {
    int w = info->biWidth, height = info->biHeight < 0 ? -info->biHeight : info->biHeight;
    char text[96];
    snprintf(text, sizeof text, "picture %dx%d first=%06X last=%06X", w, height,
             dibPixel(info, 0, 0), dibPixel(info, w - 1, height - 1));
    line = text;
  }
  if (info) GlobalUnlock(h);
  CloseClipboard();
  if (line.empty()) {
    s.error = "no 24- or 32-bit picture on the clipboard";
    return false;
  }
  printf("%s\n", line.c_str());
  return true;
}

bool doSetClipboard(Session &s, const Args &a) {
  const std::string &text = a.words[0];
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (char *p = block ? (char *)GlobalLock(block) : nullptr) {
    memcpy(p, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
  }
  if (!block || !openClipboard(s, a)) {
    if (block) GlobalFree(block);
    if (s.error.empty()) s.error = "no memory for the text";
    return false;
  }
  bool put = EmptyClipboard() && SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  if (!put) {
    GlobalFree(block);
    s.error = "the clipboard did not take the text";
    return false;
  }
  printf("set-clipboard %s\n", text::quote(text).c_str());
  return true;
}

} // namespace script
