// WHERE conditions: evaluating a DbCondition tree against one row, whose
// columns a caller-supplied routine finds by table and name.
#pragma once
#include "dbengine/dbapi.h"

// Finds the value of column (of table; an empty table means any table the row
// holds) in the current row. Returns 1 when found, 0 when the row has no
// such column.
typedef int32_t (*DbColumnLookup)(void *context, DbText table, DbText column, DbValue *out);

// Why an evaluation failed: the column the row does not have.
struct DbConditionError {
  DbText table; // empty when not written
  DbText column;
};

enum DbConditionResult : int32_t {
  kDbConditionFalse = 0,
  kDbConditionTrue = 1,
  kDbConditionUnknownColumn = -1, // err names the column
};

// Evaluates where against the row (nil where: every row matches).
// Comparisons follow SQL: a NULL column value satisfies only IS NULL; the
// right-hand text is read as the column's type (through dbvalue_parse) and
// compared as text when it is not of that type; LIKE reads a number column
// as its decimal text. A right-hand name without a table that is not a
// column of the row is taken as literal text, so `flag = true` still works.
// upper() and lower() fold the column's ASCII letters before comparing.
DbConditionResult dbcondition_eval(const DbCondition *where, DbColumnLookup lookup, void *context,
                                   DbConditionError *err);
