// The application object: made by RuntimeInit, asked for by compiled code,
// and the events it raises over the application's life.
#pragma once
#include "objects/objects.h"

extern Object *gAppObject; // the application object; the runtime's own reference

// Calls the handler that the object's class chain provides for the event named
// `event` of the object's class with (object [, argument]); false when there is none.
bool raise_event(Object *object, const char *event);
bool raise_event_with(Object *object, const char *event, Object *argument);

extern "C" {
Object *getAppObject();
void ApplicationNewDocument(Object *app);
void ApplicationOpenDocument(Object *app, Object *item);
}
