// Notification receiver lists: retained members, notices by method name over
// a snapshot of the list.
#include "ui/receivers.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "ui/control.h"

void receivers_add(Vector **list, Object *r) {
  if (!r) return;
  if (!*list) {
    *list = (Vector *)pool_alloc(sizeof(Vector));
    vec_init(*list);
  }
  vec_append_ptr(*list, RuntimeLockObject(r));
}

void receivers_remove(Vector *list, Object *r) {
  for (int32_t i = list ? vec_count(list) - 1 : -1; i >= 0; i--)
    if (vec_get_ptr(list, i) == r) {
      vec_remove(list, i);
      RuntimeUnlockObject(r);
      return;
    }
}

void receivers_free(Vector **list) {
  if (!*list) return;
  for (int32_t i = 0; i < vec_count(*list); i++)
    RuntimeUnlockObject((Object *)vec_get_ptr(*list, i));
  vec_dispose(*list);
  pool_free(*list, sizeof(Vector));
  *list = nullptr;
}

int32_t receivers_count(const Vector *list) { return list ? vec_count(list) : 0; }

void receivers_notify(Vector *list, const char *method, Object *argument) {
  int32_t n = receivers_count(list);
  if (n == 0) return;
  Vector snapshot;
  vec_init(&snapshot);
  for (int32_t i = 0; i < n; i++)
    vec_append_ptr(&snapshot, RuntimeLockObject((Object *)vec_get_ptr(list, i)));
  for (int32_t i = 0; i < n; i++) {
    Object *r = (Object *)vec_get_ptr(&snapshot, i);
    if (void *entry = method_entry(r, method))
      call_compiled(entry, (uint32_t)(uintptr_t)r, (uint32_t)(uintptr_t)argument);
  }
  for (int32_t i = 0; i < n; i++) RuntimeUnlockObject((Object *)vec_get_ptr(&snapshot, i));
  vec_dispose(&snapshot);
}
