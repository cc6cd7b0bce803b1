// Bound parts of the check box, radio button, list box and pop-up menu: the
// action sources made on request and the lookups by part name, the check
// box's data-notification receivers, the row-tag provider of a pop-up, and
// the binder that joins an action source to a receiver.
#include "ui/boundparts.h"
#include "objects/classdef.h"
#include "objects/registry.h"
#include "objects/variant.h"
#include "lifecycle/exception.h"
#include "ui/control.h"
#include "ui/buttons.h"
#include "ui/listbox.h"
#include "ui/popupmenu.h"
#include "ui/receivers.h"
#include <initializer_list>

/* ---- action parts ---- */

Object *actionpart_get(Object **slot, const char *className, Object *control) {
  if (!*slot) {
    ClassDef *cls = registry_find(className);
    ActionPartObject *part = cls ? (ActionPartObject *)CreateInstance(cls) : nullptr;
    if (!part) return nullptr;
    part->control = control; /* the control holds the part, never the other way */
    *slot = &part->header;
  }
  return RuntimeLockObject(*slot);
}

void actionpart_notify(Object *part) {
  if (part) receivers_notify(((ActionPartObject *)part)->receivers, "performAction");
}

void actionpart_detach(Object **slot) {
  if (!*slot) return;
  ((ActionPartObject *)*slot)->control = nullptr;
  RuntimeUnlockObject(*slot);
  *slot = nullptr;
}

static void addReceiver(ActionPartObject *part, Object *r) {
  if (part) receivers_add(&part->receivers, r);
}
static void removeReceiver(ActionPartObject *part, Object *r) {
  if (part) receivers_remove(part->receivers, r);
}

static void actionPartDestructor(Object *o, ClassDef *) {
  receivers_free(&((ActionPartObject *)o)->receivers);
}

/* ---- the pop-up's row tag as a string provider ---- */

// sys$popupRowTag: answers the tag of the pop-up's chosen row as text.
struct RowTagObject {
  Object header;          // 0
  PopupMenuObject *popup; // 16: retained
  int32_t spare;          // 20
};
static_assert(sizeof(RowTagObject) == 24);

static RString *rowTagString(RowTagObject *t) {
  PopupMenuObject *p = t->popup;
  int32_t row = p ? popup_selection(p) : -1;
  if (row < 0 || row >= popup_count(p)) return nullptr;
  PopupRow *r = popup_row(p, row);
  if (r->owned) return variantToString((Object *)(uintptr_t)r->tag);
  Object *number = intToVariant((int32_t)r->tag);
  RString *text = variantToString(number);
  RuntimeUnlockObject(number);
  return text;
}

static void rowTagDestructor(Object *o, ClassDef *) {
  RowTagObject *t = (RowTagObject *)o;
  RuntimeUnlockObject(&t->popup->control.header);
  t->popup = nullptr;
}

/* ---- actionBinder: a window's binding of an action source to a receiver ---- */

// The source tells the target of each of its actions from now on.
static void actionBind(Object *, Object *source, Object *target) {
  void *add = source && target ? method_entry(source, "addActionNotificationReceiver") : nullptr;
  if (add) call_compiled(add, (uint32_t)(uintptr_t)source, (uint32_t)(uintptr_t)target);
}

static void installBinder() {
  ClassDef *cls = registry_find("actionBinder"), *face = registry_find("bindingInterface");
  if (!cls || !face || cls->methods) return; /* installed before */
  static const ParameterDesc params[] = {{"source", &gObjectClass, {0, 0}},
                                         {"target", &gObjectClass, {0, 0}}};
  class_add_method(cls, "bind", nullptr, params, 2, (void *)actionBind);
  class_add_interface(cls, face);
}

/* ---- lookups by part name ---- */

enum { kCheckedPart = 1, kUncheckedPart = 2 };

static int stateNamed(RString *part) {
  if (name_is(part, "getCheckedAction")) return kCheckedPart;
  if (name_is(part, "getUncheckedAction")) return kUncheckedPart;
  return 0;
}

void boundparts_install() {
  installBinder();
  for (const char *name : {"Sys$CheckBoxAction", "Sys$RadioButtonAction", "Sys$ListboxAction"})
    if (ClassDef *cls = registry_find(name)) cls->destructor = actionPartDestructor;
  if (ClassDef *cls = registry_find("sys$popupRowTag")) {
    cls->destructor = rowTagDestructor;
    if (cls->methods) return; /* installed before */
    class_add_method(cls, "getString", &kTypeString, nullptr, 0, (void *)rowTagString);
    if (ClassDef *face = registry_find("StringProvider")) class_add_interface(cls, face);
  }
}

extern "C" {

Object *checkBoxGetBoundPart(Object *o, RString *part) {
  CheckBoxObject *c = (CheckBoxObject *)o;
  switch (stateNamed(part)) {
  case kCheckedPart:
    return actionpart_get(&c->checkedAction, "Sys$CheckBoxAction", o);
  case kUncheckedPart:
    return actionpart_get(&c->uncheckedAction, "Sys$CheckBoxAction", o);
  }
  return nullptr;
}

Object *radioGetBoundPart(Object *o, RString *part) {
  RadioButtonObject *r = (RadioButtonObject *)o;
  switch (stateNamed(part)) {
  case kCheckedPart:
    return actionpart_get(&r->checkedAction, "Sys$RadioButtonAction", o);
  case kUncheckedPart:
    return actionpart_get(&r->uncheckedAction, "Sys$RadioButtonAction", o);
  }
  return nullptr;
}

Object *listGetBoundPart(Object *o, RString *part) {
  ListboxObject *list = (ListboxObject *)o;
  if (name_is(part, "getSelectionAction") || name_is(part, "getChangeAction"))
    return actionpart_get(&list->selectionAction, "Sys$ListboxAction", o);
  return nullptr;
}

Object *popupGetBoundPart(Object *o, RString *part) {
  if (!name_is(part, "getRowTag")) return nullptr;
  ClassDef *cls = registry_find("sys$popupRowTag");
  RowTagObject *t = cls ? (RowTagObject *)CreateInstance(cls) : nullptr;
  if (t) t->popup = (PopupMenuObject *)RuntimeLockObject(o);
  return t ? &t->header : nullptr;
}

void checkBoxAddDataNotificationReceiver(Object *o, Object *r) {
  receivers_add(&((CheckBoxObject *)o)->dataReceivers, r);
}
void checkBoxRemoveDataNotificationReceiver(Object *o, Object *r) {
  receivers_remove(((CheckBoxObject *)o)->dataReceivers, r);
}

// The three glue classes share one record, so their entries are the same.
void cbaAddActionNotificationReceiver(ActionPartObject *p, Object *r) { addReceiver(p, r); }
void cbaRemoveActionNotificationReceiver(ActionPartObject *p, Object *r) { removeReceiver(p, r); }
void rbaAddActionNotificationReceiver(ActionPartObject *p, Object *r) { addReceiver(p, r); }
void rbaRemoveActionNotificationReceiver(ActionPartObject *p, Object *r) { removeReceiver(p, r); }
void lbaAddActionNotificationReceiver(ActionPartObject *p, Object *r) { addReceiver(p, r); }
void lbaRemoveActionNotificationReceiver(ActionPartObject *p, Object *r) { removeReceiver(p, r); }
}
