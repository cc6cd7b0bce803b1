// Text encodings: the TextEncoding object, naming a platform code page, with
// its base, variant and format and its internet name.
#pragma once
#include "objects/objects.h"
#include <cstddef>

struct TextEncodingObject {
  Object header;   // 0
  int32_t root[2]; // 16: the root class's words, unused
  int32_t base;    // 24: the platform code page (932 Shift-JIS, 1252 Western, 65001 UTF-8)
  int32_t variant; // 28: as GetTextEncoding was given it
  int32_t format;  // 32: the same
  int32_t spare[2];
};
static_assert(offsetof(TextEncodingObject, base) == 24);
static_assert(sizeof(TextEncodingObject) == 44);

// A new TextEncoding for a code page, with one reference; nil for 0.
TextEncodingObject *text_encoding_new(int32_t codePage);

extern "C" {
int32_t textEncodingBaseGetter(TextEncodingObject *e, int32_t);
int32_t textEncodingFormatGetter(TextEncodingObject *e, int32_t);
int32_t textEncodingVariantGetter(TextEncodingObject *e, int32_t);
RString *textEncodingInternetName(TextEncodingObject *e);
TextEncodingObject *getTextEncoding(int32_t base, int32_t variant, int32_t format);
TextEncodingObject *getInternetTextEncoding(RString *name);
TextEncodingObject *guessJapaneseEncoding(RString *text);
}
