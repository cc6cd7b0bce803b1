// Property accessors of PushButton, CheckBox, RadioButton and GroupBox.
// Setters store into the instance and bring the native button up to date.
#include "text/string.h"
#include "ui/buttons.h"
#include "ui/nativewindow.h"

typedef ButtonObject B;

static RString *retained(RString *s) {
  RuntimeLockString(s);
  return s;
}

// Caption and the font of one class: Getter/Setter pairs named after it.
#define TEXT_ACCESSORS(prefix, title)                                                              \
  RString *prefix##title##Getter(B *b) { return retained(b->caption); }                            \
  void prefix##title##Setter(B *b, int32_t, RString *v) { buttons_set_caption(b, v); }             \
  TEXT_STYLE_GETTERS(prefix, B, style)                                                             \
  TEXT_STYLE_SETTERS(prefix, B, style, buttons_refresh_font)

extern "C" {

TEXT_ACCESSORS(pushButton, Title)
TEXT_ACCESSORS(checkBox, Title)
TEXT_ACCESSORS(radio, Title)
TEXT_ACCESSORS(group, Caption)

/* ---- PushButton ---- */

static void setFlag(B *b, uint8_t B::*field, uint8_t ButtonPane::*paneField, bool v) {
  b->*field = v;
  if (!b->control.pane) return;
  ((ButtonPane *)b->control.pane)->*paneField = v;
  buttons_restyle(b->control.view);
}
bool pushButtonDefaultGetter(B *b) { return b->isDefault; }
void pushButtonDefaultSetter(B *b, int32_t, bool v) {
  setFlag(b, &B::isDefault, &ButtonPane::isDefault, v);
}
bool pushButtonCancelGetter(B *b) { return b->isCancel; }
void pushButtonCancelSetter(B *b, int32_t, bool v) {
  setFlag(b, &B::isCancel, &ButtonPane::isCancel, v);
}
void pushButtonPush(B *b) { buttons_push(b); }
void pbAddActionNotificationReceiver(PushButtonObject *b, Object *r) { buttons_add_receiver(b, r); }
void pbRemoveActionNotificationReceiver(PushButtonObject *b, Object *r) {
  buttons_remove_receiver(b, r);
}

/* ---- CheckBox and RadioButton ---- */

bool checkBoxValueGetter(B *b) { return b->value; }
void checkBoxValueSetter(B *b, int32_t, bool v) { buttons_check(b, v); }
bool checkBoxGetBoolean(B *b) { return b->value; }
void checkBoxSetBoolean(B *b, bool v) { buttons_check(b, v); }
RString *CheckBoxDataSourceGetter(CheckBoxObject *c) { return retained(c->dataSource); }
void CheckBoxDataSourceSetter(CheckBoxObject *c, int32_t, RString *v) {
  str_assign(&c->dataSource, v);
}
void CheckBoxDataFieldSetter(CheckBoxObject *c, int32_t, RString *v) {
  str_assign(&c->dataField, v);
}

bool radioValueGetter(B *b) { return b->value; }
void radioValueSetter(B *b, int32_t, bool v) { buttons_check(b, v); }
}
