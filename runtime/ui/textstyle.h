// The font quartet several controls keep (TextFont, TextSize, Bold, Italic,
// Underline): one record inside theirs, its accessors, and its platform font.
#pragma once
#include "text/string.h"
#include <windows.h>

// Nine bytes wherever a control's record holds them, so that the record's
// next field follows at once; the records place it on a 4-byte boundary.
struct [[gnu::packed]] TextStyle {
  RString *font;     // 0: TextFont as assigned; empty stands for the system font
  int16_t size;      // 4: TextSize in points
  uint8_t bold;      // 6
  uint8_t italic;    // 7
  uint8_t underline; // 8
};
static_assert(sizeof(TextStyle) == 9);

RString *textstyle_font(const TextStyle *style); // TextFont, with a reference for the caller
void textstyle_set_font(TextStyle *style, RString *font);
void textstyle_release(TextStyle *style);        // gives up the TextFont reference
HFONT textstyle_acquire(const TextStyle *style); // the shared platform font for it

// The entry points of one control class for the quartet, named prefix ##
// TextFontGetter, TextFontSetter, TextSizeGetter ... UnderlineSetter; T is the
// class's record, member its TextStyle, refresh(T *) brings the pane up to date.
#define TEXT_STYLE_GETTERS(prefix, T, member)                                                      \
  RString *prefix##TextFontGetter(T *o) { return textstyle_font(&o->member); }                     \
  int32_t prefix##TextSizeGetter(T *o) { return o->member.size; }                                  \
  bool prefix##BoldGetter(T *o) { return o->member.bold; }                                         \
  bool prefix##ItalicGetter(T *o) { return o->member.italic; }                                     \
  bool prefix##UnderlineGetter(T *o) { return o->member.underline; }
#define TEXT_FONT_SETTERS(prefix, T, member, refresh)                                              \
  void prefix##TextFontSetter(T *o, int32_t, RString *v) {                                         \
    textstyle_set_font(&o->member, v);                                                             \
    refresh(o);                                                                                    \
  }                                                                                                \
  void prefix##TextSizeSetter(T *o, int32_t, int32_t v) {                                          \
    o->member.size = (int16_t)v;                                                                   \
    refresh(o);                                                                                    \
  }
#define TEXT_STYLE_SETTERS(prefix, T, member, refresh)                                             \
  TEXT_FONT_SETTERS(prefix, T, member, refresh)                                                    \
  void prefix##BoldSetter(T *o, int32_t, bool v) {                                                 \
    o->member.bold = v;                                                                            \
    refresh(o);                                                                                    \
  }                                                                                                \
  void prefix##ItalicSetter(T *o, int32_t, bool v) {                                               \
    o->member.italic = v;                                                                          \
    refresh(o);                                                                                    \
  }                                                                                                \
  void prefix##UnderlineSetter(T *o, int32_t, bool v) {                                            \
    o->member.underline = v;                                                                       \
    refresh(o);                                                                                    \
  }
