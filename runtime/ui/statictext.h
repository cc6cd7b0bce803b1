// StaticText: text the runtime draws itself in a pane of its own class.
#pragma once
#include "ui/control.h"
#include "ui/textstyle.h"

struct StaticTextObject {
  ControlObject control; // 0
  RString *text;         // 92: Text and Caption
  int16_t textAlign;     // 96: 0 left, 1 centred, 2 right
  int32_t textColor;     // 100: 0x00RRGGBB
  TextStyle style;       // 104: TextFont, TextSize 108, Bold, Italic, Underline 112
  uint8_t multiLine;     // 113
  RString *dataSource;   // 116
  RString *dataField;    // 120
  void *adapter;         // 124
};
static_assert(offsetof(StaticTextObject, textAlign) == 96);
static_assert(offsetof(StaticTextObject, textColor) == 100);
static_assert(offsetof(StaticTextObject, style) == 104);
static_assert(offsetof(StaticTextObject, multiLine) == 113);
static_assert(sizeof(StaticTextObject) == 128);

void staticText_createPane(Object *o);
void statictext_install(); // the pane maker and the class's destructor

extern "C" {
void staticCaptionSetter(StaticTextObject *t, int32_t, RString *v);
}
