// Values between the engine and compiled code: a field's value as text, as
// a number, as a Date (ISO texts both ways) and as a Picture (blob bytes
// decoded, pictures encoded as BMP or JPEG bytes).
#include "database/dbconvert.h"
#include "graphics/imagefile.h"
#include "objects/date.h"
#include "objects/registry.h"
#include "text/numtext.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

RString *db_value_text(const DbValue &v) {
  char digits[kNumTextMax + 8];
  switch (v.type) {
  case kDbNull:
    return nullptr;
  case kDbSmallInt:
  case kDbInteger:
  case kDbBoolean:
    snprintf(digits, sizeof digits, "%lld", (long long)v.integer);
    return str_from(digits);
  case kDbFloat:
  case kDbDouble:
    digits[numtext_str(v.real, digits)] = 0;
    return str_from(digits);
  default:
    return db_string(v.text);
  }
}

int64_t db_value_integer(const DbValue &v) {
  switch (v.type) {
  case kDbNull:
    return 0;
  case kDbFloat:
  case kDbDouble:
    return (int64_t)v.real;
  case kDbSmallInt:
  case kDbInteger:
  case kDbBoolean:
    return v.integer;
  default:
    return (int64_t)numtext_val((const uint8_t *)v.text.bytes, (int32_t)v.text.length);
  }
}

double db_value_real(const DbValue &v) {
  switch (v.type) {
  case kDbNull:
    return 0;
  case kDbFloat:
  case kDbDouble:
    return v.real;
  case kDbSmallInt:
  case kDbInteger:
  case kDbBoolean:
    return (double)v.integer;
  default:
    return numtext_val((const uint8_t *)v.text.bytes, (int32_t)v.text.length);
  }
}

// Reads up to count numbers of the ISO forms "2026-12-10", "08:40:42" and
// "2026-12-10 08:40:42" into parts; returns how many were read.
static int isoParts(DbText t, int32_t *parts, int count) {
  int n = 0;
  uint32_t i = 0;
  while (n < count && i < t.length) {
    if (t.bytes[i] < '0' || t.bytes[i] > '9') return n;
    int32_t value = 0;
    for (int digits = 0; i < t.length && t.bytes[i] >= '0' && t.bytes[i] <= '9' && digits < 9;
         digits++)
      value = value * 10 + (t.bytes[i++] - '0');
    parts[n++] = value;
    if (i < t.length) i++; /* the separator: '-', ':', ' ' or 'T' */
  }
  return n;
}

Object *db_date_from_text(DbText t, DbType type) {
  int32_t p[6] = {1904, 1, 1, 0, 0, 0};
  int read = type == kDbTime ? isoParts(t, p + 3, 3) : isoParts(t, p, 6);
  if (read < (type == kDbTime ? 2 : 3)) return nullptr;
  SYSTEMTIME st{};
  st.wYear = (WORD)p[0];
  st.wMonth = (WORD)p[1];
  st.wDay = (WORD)p[2];
  st.wHour = (WORD)p[3];
  st.wMinute = (WORD)p[4];
  st.wSecond = (WORD)p[5];
  Object *d = CreateInstance(registry_find("Date"));
  if (!date_set_fields((DateObject *)d, st)) {
    RuntimeUnlockObject(d);
    return nullptr;
  }
  return d;
}

RString *db_text_from_date(Object *date) {
  if (!date) return nullptr;
  int32_t f[6];
  for (int i = 0; i < 6; i++) f[i] = dateFieldGetter(date, i); /* Year .. Second */
  char text[40];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", (int)f[0], (int)f[1], (int)f[2],
           (int)f[3], (int)f[4], (int)f[5]);
  return str_from(text);
}

Object *db_picture_from_bytes(DbText t) {
  if (!t.length) return nullptr;
  return (Object *)imagefile_decode((const uint8_t *)t.bytes, t.length);
}

// A JPEG is made by the platform's encoder, which writes files only: through
// a temporary file read back whole.
static RString *jpegBytes(PictureObject *picture) {
  char folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "dbj", 0, path))
    return nullptr;
  RString *bytes = nullptr;
  if (imagefile_save(picture, path, ImageFormat::Jpeg)) {
    HANDLE h = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD size = h != INVALID_HANDLE_VALUE ? GetFileSize(h, nullptr) : 0, got = 0;
    if (size && size != INVALID_FILE_SIZE &&
        (bytes = str_make(nullptr, (int32_t)size)) != nullptr) {
      if (!ReadFile(h, str_writable(&bytes, 0), size, &got, nullptr) || got != size) {
        RuntimeUnlockString(bytes);
        bytes = nullptr;
      }
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  DeleteFileA(path);
  return bytes;
}

RString *db_picture_bytes(Object *picture, bool jpeg) {
  PictureObject *p = picture_of(picture);
  if (!p || !picture_image(p)) return nullptr;
  if (jpeg) return jpegBytes(p);
  size_t length = 0;
  uint8_t *bmp = bmp_encode(picture_image(p), &length);
  if (!bmp) return nullptr;
  RString *s = str_make(bmp, (int32_t)length);
  free(bmp);
  return s;
}
