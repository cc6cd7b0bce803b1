// Native buttons: PushButton, CheckBox, RadioButton and GroupBox. Their
// instance records, the default and cancel buttons of a window, mnemonics,
// and the radio group rule.
#pragma once
#include "base/vector.h"
#include "ui/control.h"
#include "ui/textstyle.h"

// The fields the four button classes share after RectControl's.
struct ButtonObject {
  ControlObject control; // 0
  RString *caption;      // 92
  TextStyle style;       // 96: TextFont, TextSize 100, Bold, Italic, Underline 104
  uint8_t value;         // 105: CheckBox and RadioButton
  uint8_t isDefault;     // 106: PushButton
  uint8_t isCancel;      // 107: PushButton
};
static_assert(offsetof(ButtonObject, caption) == 92);
static_assert(offsetof(ButtonObject, style) == 96);
static_assert(offsetof(ButtonObject, value) == 105);
static_assert(sizeof(ButtonObject) == 108);

struct PushButtonObject {
  ButtonObject button;
  Vector *receivers; // 108: action-notification receivers, retained
};
static_assert(sizeof(PushButtonObject) <= 120);

struct CheckBoxObject {
  ButtonObject button;
  RString *dataSource;     // 108
  RString *dataField;      // 112
  Vector *dataReceivers;   // 116: dataNotificationReceivers, retained, or nil
  Object *checkedAction;   // 120: the "getCheckedAction" part, or nil until asked for
  Object *uncheckedAction; // 124: the "getUncheckedAction" part, or nil
};
static_assert(offsetof(CheckBoxObject, dataField) == 112);
static_assert(offsetof(CheckBoxObject, uncheckedAction) == 124);
static_assert(sizeof(CheckBoxObject) <= 140);

struct RadioButtonObject {
  ButtonObject button;
  Object *checkedAction;   // 108: the "getCheckedAction" part, or nil until asked for
  Object *uncheckedAction; // 112: the "getUncheckedAction" part, or nil
};
static_assert(offsetof(RadioButtonObject, uncheckedAction) == 112);
static_assert(sizeof(RadioButtonObject) <= 124);

// The pane of a native button.
struct ButtonPane {
  Pane pane;
  HFONT font;         // from the font cache
  uint8_t kind;       // ButtonKind
  uint8_t remembered; // what MouseDown (then MouseUp) answered for the click under way
  uint8_t reporting;  // a change report is being delivered
  uint8_t checking;   // a radio is being checked
  uint8_t isDefault, isCancel;
  uint8_t mnemonic; // upper-cased, 0 for none
  uint8_t clicking; // between the press and the release of a click
};

enum ButtonKind { kPushButton, kCheckBox, kRadioButton, kGroupBox };

// The mnemonic of a caption: the character after a single "&" ("&&" is a
// literal ampersand), the last one when there are several, upper-cased; 0 for none.
uint8_t caption_mnemonic(const char *caption, int32_t length);

// The window's default and cancel buttons: the first push button in the pane
// tree with Default (Cancel) set that is enabled and on screen; nil for none.
Pane *buttons_default(View *view);
Pane *buttons_cancel(View *view);
// The enabled, on-screen button of the window whose caption's mnemonic is c.
Pane *buttons_with_mnemonic(View *view, uint8_t c);
// Clicks a button as the keyboard does: a push button's Action, a check
// box's toggle, a radio's check.
void buttons_press(Pane *pane);
void buttons_restyle(View *view); // the default-button style follows focus and Default
// After every change of the focused pane (either may be nil): both windows restyle.
void buttons_focus_moved(Pane *from, Pane *to);

// What the property setters use.
void buttons_check(ButtonObject *b, bool value); // Value set by code: the check, then its report
void buttons_refresh_font(ButtonObject *b);
void buttons_set_caption(ButtonObject *b, RString *caption);
void buttons_push(ButtonObject *b); // Action without a visual press, when enabled
void buttons_add_receiver(PushButtonObject *b, Object *receiver);
void buttons_remove_receiver(PushButtonObject *b, Object *receiver);

void buttons_install(); // the pane makers and the destructors
void pushButton_createPane(Object *o);
void checkBox_createPane(Object *o);
void radio_createPane(Object *o);
void groupBox_createPane(Object *o);

extern "C" {
void pushButtonPush(ButtonObject *b);
void checkBoxValueSetter(ButtonObject *b, int32_t, bool value);
void radioValueSetter(ButtonObject *b, int32_t, bool value);
}
