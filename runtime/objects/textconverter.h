// Text converters: a TextConverter object turning text in one encoding into
// another, carrying a sequence cut off at the end of one text into the next.
#pragma once
#include "objects/textencoding.h"
#include "text/jiscode.h"

struct TextConverterObject {
  Object header;       // 0
  int32_t source;      // 16: the code page text is converted from
  int32_t destination; // 20: the code page it is converted to
  CarryState carry;    // 24: the unfinished sequence and the ISO-2022-JP set
  int32_t spare[2];    // 28: unused, to the class's instance size
};
static_assert(offsetof(TextConverterObject, source) == 16);
static_assert(offsetof(TextConverterObject, carry) == 24);
static_assert(sizeof(TextConverterObject) == 36);

extern "C" {
TextConverterObject *getTextConverter(TextEncodingObject *source, TextEncodingObject *destination);
RString *textConverterConvert(TextConverterObject *c, RString *text);
void textConverterClear(TextConverterObject *c);
}
