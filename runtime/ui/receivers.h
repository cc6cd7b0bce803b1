// Lists of notification receivers that controls and their bound parts keep:
// each receiver retained while listed, and told of a change by calling one
// of its methods by name.
#pragma once
#include "base/vector.h"
#include "objects/objects.h"

// The list is made on the first receiver; adding nil does nothing.
void receivers_add(Vector **list, Object *receiver);
// Takes the receiver off once (the latest entry of it); absent ones are ignored.
void receivers_remove(Vector *list, Object *receiver);
void receivers_free(Vector **list);
int32_t receivers_count(const Vector *list);
// Calls `method` of every receiver that has one, with `argument` as its one
// parameter (receivers whose method takes none ignore it). The list is read
// as it stood when the notice began, each receiver held during its call, so
// that a receiver may add or remove receivers as it is told.
void receivers_notify(Vector *list, const char *method, Object *argument = nullptr);
