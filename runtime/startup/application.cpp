// The application object and its lifecycle events.
#include "startup/application.h"

Object *gAppObject;

static void *handlerFor(Object *object, const char *event) {
  if (!object) return nullptr;
  EventRecord *declared = class_find_event(object->cls, event);
  return declared ? event_handler_entry(object, declared) : nullptr;
}

bool raise_event(Object *object, const char *event) {
  void *entry = handlerFor(object, event);
  if (entry) ((void (*)(Object *))entry)(object);
  return entry;
}

bool raise_event_with(Object *object, const char *event, Object *argument) {
  void *entry = handlerFor(object, event);
  if (entry) ((void (*)(Object *, Object *))entry)(object, argument);
  return entry;
}

Object *getAppObject() { return RuntimeLockObject(gAppObject); }

void ApplicationNewDocument(Object *app) { raise_event(app, "NewDocument"); }

void ApplicationOpenDocument(Object *app, Object *item) {
  raise_event_with(app, "OpenDocument", item);
}
