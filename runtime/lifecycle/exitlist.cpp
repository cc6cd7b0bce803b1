// The exit list: objects released, newest first, when the runtime shuts down,
// and the routine that runs after them.
#include "lifecycle/exitlist.h"
#include "objects/objects.h"
#include "base/vector.h"

static Vector exitObjects; /* oldest first; an all-zero vector is a valid empty one */
static void (*finalRoutine)();
static Vector routines; /* in the order added */

void exitlist_set_final(void (*routine)()) { finalRoutine = routine; }

void exitlist_add_routine(void (*routine)()) {
  if (!routines.elementSize) vec_init(&routines);
  for (int32_t i = 0; i < vec_count(&routines); i++)
    if (vec_get_ptr(&routines, i) == (void *)routine) return;
  vec_append_ptr(&routines, (void *)routine);
}

void exitlist_add(Object *object) {
  if (!exitObjects.elementSize) vec_init(&exitObjects);
  vec_append_ptr(&exitObjects, object);
}

void exitlist_remove(Object *object) {
  for (int32_t i = vec_count(&exitObjects) - 1; i >= 0; i--)
    if (vec_get_ptr(&exitObjects, i) == object) return vec_remove(&exitObjects, i);
}

void exitlist_run() {
  while (int32_t n = vec_count(&exitObjects)) {
    Object *newest = (Object *)vec_get_ptr(&exitObjects, n - 1);
    vec_remove(&exitObjects, n - 1);
    RuntimeUnlockObject(newest);
  }
  for (int32_t i = 0; i < vec_count(&routines); i++) ((void (*)())vec_get_ptr(&routines, i))();
  if (finalRoutine) finalRoutine();
}
