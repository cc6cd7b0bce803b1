// The font quartet's record: its TextFont reference and its platform font.
#include "ui/textstyle.h"
#include "ui/fonts.h"

RString *textstyle_font(const TextStyle *style) {
  RString *font = style->font;
  RuntimeLockString(font);
  return font;
}

void textstyle_set_font(TextStyle *style, RString *font) {
  RString *held = style->font; /* the packed field cannot be assigned through a pointer */
  str_assign(&held, font);
  style->font = held;
}

void textstyle_release(TextStyle *style) { textstyle_set_font(style, nullptr); }

HFONT textstyle_acquire(const TextStyle *style) {
  return font_acquire_control(style->font, style->size, style->bold, style->italic,
                              style->underline);
}
