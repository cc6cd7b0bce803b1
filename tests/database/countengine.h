// A wrapper over any engine for the SQL layer's tests: it passes every
// routine through, counting the operations that reach the engine and the
// cursors still open. Its routine table is a copy tests may thin out.
#pragma once
#include "dbengine/dbapi.h"
#include <string>

struct CountingEngine {
  DbEngine base;
  DbEngineOps ops;
  DbEngine *inner;
  int32_t calls;         // engine operations and cursor updates and deletions
  int32_t openCursors;   // cursors opened and not yet closed
  std::string lastWhere; // the condition of the last cursor opened, as where_text writes it
  int64_t moveBudget;    // moves left before every cursor reports its end; -1 without limit
};

// A condition tree as text: leaves as column, operator and right-hand side
// ("t.a=1", "upper(b) LIKE 'x%'", "c=[d]" for a column), inner nodes as
// AND(left,right) and OR(left,right).
std::string where_text(const DbCondition *c);

void counting_init(CountingEngine *c, DbEngine *inner);
