// A wrapper over any engine for the SQL layer's tests: it passes every
// routine through, counting the operations that reach the engine and the
// cursors still open. Its routine table is a copy tests may thin out.
#pragma once
#include "dbengine/dbapi.h"

struct CountingEngine {
  DbEngine base;
  DbEngineOps ops;
  DbEngine *inner;
  int32_t calls;       // engine operations and cursor updates and deletions
  int32_t openCursors; // cursors opened and not yet closed
};

void counting_init(CountingEngine *c, DbEngine *inner);
