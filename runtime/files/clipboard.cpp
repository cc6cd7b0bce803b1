// The Clipboard object: text, pictures and named data in and out of the
// platform clipboard, which each call opens with the runtime's own hidden
// window and closes again before it returns.
#include "files/clipboard.h"
#include "graphics/imagefile.h"
#include "objects/registry.h"
#include "text/string.h"
#include <cstdlib>
#include <cstring>

constexpr int kOpenTries = 10;     /* another program may hold it a moment */
constexpr DWORD kOpenPauseMs = 10; /* between tries */

/* ---- opening and closing ---- */

static HWND gOwner; /* the runtime's clipboard window, made on first use */

static HWND owner() {
  if (!gOwner || !IsWindow(gOwner))
    gOwner =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  return gOwner;
}

static bool openFor(ClipboardObject *c) {
  HWND window = owner();
  if (!window) return false;
  for (int i = 0; i < kOpenTries; i++) {
    if (OpenClipboard(window)) {
      c->open = 1;
      return true;
    }
    Sleep(kOpenPauseMs);
  }
  return false;
}

static void closeFor(ClipboardObject *c) {
  if (!c->open) return;
  CloseClipboard();
  c->open = 0;
}

// A write starts afresh, emptying the clipboard, unless this object has
// written last: then its formats are added to what it wrote before.
static bool readyToWrite(ClipboardObject *c) {
  if (c->emptied && GetClipboardSequenceNumber() == c->sequence) return true;
  if (!EmptyClipboard()) return false;
  c->emptied = 1;
  return true;
}

// Gives the bytes (and a terminating zero when asked) to the clipboard
// under the format.
static bool put(ClipboardObject *c, UINT format, const void *bytes, size_t n, bool terminate) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n + (terminate ? 1 : 0));
  uint8_t *p = block ? (uint8_t *)GlobalLock(block) : nullptr;
  if (!p) {
    if (block) GlobalFree(block);
    return false;
  }
  if (n) memcpy(p, bytes, n);
  if (terminate) p[n] = 0;
  GlobalUnlock(block);
  bool given = openFor(c) && readyToWrite(c) && SetClipboardData(format, block);
  if (!given) GlobalFree(block); /* the clipboard did not take it */
  bool wasOpen = c->open;
  closeFor(c);
  if (given && wasOpen) c->sequence = GetClipboardSequenceNumber();
  return given;
}

// The bytes of the format's data, up to its first zero byte but never past
// the block's end, as a new string; nil when the format is not there.
static RString *takeText(ClipboardObject *c, UINT format) {
  if (!format || !openFor(c)) return nullptr;
  RString *text = nullptr;
  HANDLE block = GetClipboardData(format);
  const char *p = block ? (const char *)GlobalLock(block) : nullptr;
  if (p) {
    size_t size = GlobalSize(block);
    text = str_make(p, (int32_t)strnlen(p, size));
    GlobalUnlock(block);
  }
  closeFor(c);
  return text;
}

static UINT namedFormat(RString *type) {
  return str_len(type) ? RegisterClipboardFormatA(str_cview(type)) : 0;
}

/* ---- text and named data ---- */

void clipboardSetText(ClipboardObject *c, RString *text) {
  if (c) put(c, CF_TEXT, str_cview(text), (size_t)str_len(text), true);
}

void clipboardTextSetter(ClipboardObject *c, int32_t, RString *text) { clipboardSetText(c, text); }

RString *clipboardTextGetter(ClipboardObject *c, int32_t) {
  return c ? takeText(c, CF_TEXT) : nullptr;
}

bool clipboardTextAvailable(ClipboardObject *) { return IsClipboardFormatAvailable(CF_TEXT); }

void clipboardAddMacData(ClipboardObject *c, RString *data, RString *type) {
  UINT format = namedFormat(type);
  if (c && format) put(c, format, str_cview(data), (size_t)str_len(data), true);
}

RString *clipboardMacData(ClipboardObject *c, RString *type) {
  return c ? takeText(c, namedFormat(type)) : nullptr;
}

bool clipboardMacDataAvailable(ClipboardObject *, RString *type) {
  UINT format = namedFormat(type);
  return format && IsClipboardFormatAvailable(format);
}

/* ---- pictures ---- */

bool clipboardPictureAvailable(ClipboardObject *) {
  return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP);
}

// The pixels of a device-dependent bitmap, for a clipboard that holds no DIB.
static PictureObject *fromBitmap(HBITMAP bitmap) {
  BITMAP b;
  if (!bitmap || !GetObjectA(bitmap, sizeof b, &b)) return nullptr;
  PictureObject *picture = picture_new(b.bmWidth, b.bmHeight, b.bmBitsPixel);
  if (!picture) return nullptr;
  BITMAPINFO info = picture_bitmap_info(b.bmWidth, b.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows =
      GetDIBits(screen, bitmap, 0, (UINT)b.bmHeight, picture->image->bits, &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows == b.bmHeight) return picture;
  RuntimeUnlockObject(&picture->header);
  return nullptr;
}

static PictureObject *fromDib(HANDLE block) {
  const uint8_t *p = block ? (const uint8_t *)GlobalLock(block) : nullptr;
  if (!p) return nullptr;
  PictureObject *picture = bmp_decode_dib(p, GlobalSize(block));
  GlobalUnlock(block);
  return picture;
}

Object *clipboardPictureGetter(ClipboardObject *c, int32_t) {
  if (!c || !openFor(c)) return nullptr;
  PictureObject *picture = fromDib(GetClipboardData(CF_DIB));
  if (!picture) picture = fromBitmap((HBITMAP)GetClipboardData(CF_BITMAP));
  closeFor(c);
  return picture ? &picture->header : nullptr;
}

// The picture goes as a packed 24-bit DIB, after the same emptying rule as
// text: never mixed with another program's formats.
void clipboardPictureSetter(ClipboardObject *c, int32_t, PictureObject *picture) {
  size_t length = 0;
  uint8_t *file = c ? bmp_encode(picture_image(picture), &length) : nullptr;
  if (file) put(c, CF_DIB, file + kBmpFileHeader, length - kBmpFileHeader, false);
  free(file);
}

/* ---- the object ---- */

void clipboardClose(ClipboardObject *c) {
  if (c) closeFor(c);
}

static void destroyClipboard(Object *o, ClassDef *) { closeFor((ClipboardObject *)o); }

void clipboard_classes_attach() {
  if (ClassDef *cls = registry_find("Clipboard")) cls->destructor = destroyClipboard;
}
