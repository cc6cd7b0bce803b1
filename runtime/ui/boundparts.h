// The parts of controls that data bindings attach to: action sources that a
// control owns for one of its states (a check box checked or unchecked, a
// radio chosen or cleared, a list's selection changed), made on first
// request and told of each change, and the bound-part lookups by name.
#pragma once
#include "base/vector.h"
#include "objects/objects.h"

// Sys$CheckBoxAction, Sys$RadioButtonAction and Sys$ListboxAction share
// this record.
struct ActionPartObject {
  Object header;     // 0
  Object *control;   // 16: the control whose change it reports; nil once that is gone
  Vector *receivers; // 20: actionNotificationReceivers, retained
};
static_assert(offsetof(ActionPartObject, control) == 16);
static_assert(sizeof(ActionPartObject) == 24);

// The part in *slot, made of class className for control when there is
// none yet; a new reference for the caller (the control keeps its own).
Object *actionpart_get(Object **slot, const char *className, Object *control);
// Tells the part's receivers (performAction); nil does nothing.
void actionpart_notify(Object *part);
// The control is going: the part forgets it and the control's reference goes.
void actionpart_detach(Object **slot);

void boundparts_install(); // the glue classes' destructors

extern "C" {
Object *checkBoxGetBoundPart(Object *checkBox, RString *part);
Object *radioGetBoundPart(Object *radio, RString *part);
Object *listGetBoundPart(Object *list, RString *part);
Object *popupGetBoundPart(Object *popup, RString *part);
void checkBoxAddDataNotificationReceiver(Object *checkBox, Object *receiver);
void checkBoxRemoveDataNotificationReceiver(Object *checkBox, Object *receiver);
void cbaAddActionNotificationReceiver(ActionPartObject *part, Object *receiver);
void cbaRemoveActionNotificationReceiver(ActionPartObject *part, Object *receiver);
void rbaAddActionNotificationReceiver(ActionPartObject *part, Object *receiver);
void rbaRemoveActionNotificationReceiver(ActionPartObject *part, Object *receiver);
void lbaAddActionNotificationReceiver(ActionPartObject *part, Object *receiver);
void lbaRemoveActionNotificationReceiver(ActionPartObject *part, Object *receiver);
}
