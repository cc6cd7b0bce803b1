// Aggregates and GROUP BY: reads the (sorted) rows, and for each run of rows
// with an equal grouping value emits one row whose plain items are the
// group's first row's values and whose aggregates are accumulated.
//
// NULLs: count(*) counts every row; sum, avg, min and max skip NULL values,
// as SQL does, and give NULL when a group has none (so avg never divides by
// zero). Without GROUP BY there is exactly one result row, even over no
// rows; with GROUP BY, NULL grouping values form one group of their own.
#include "database/sqlrow.h"
#include "dbengine/dbvalue.h"

namespace {

struct Accumulator {
  int64_t count; // rows (count) or non-NULL values (the others)
  int64_t isum;  // integer sum while it fits
  double rsum;   // real sum
  bool real;     // the sum went real (a real column or an integer overflow)
  DbValue best;  // min or max so far; texts point into bestText
  std::string bestText;
  DbValue first; // a plain item's value in the group's first row
  std::string firstText;
};

void keep_value(DbValue *slot, std::string *room, const DbValue &v) {
  *slot = v;
  if (dbtype_class(v.type) != kDbClassText) return;
  room->assign(v.text.bytes ? v.text.bytes : "", v.text.length);
  slot->text = DbText{room->data(), v.text.length};
}

void add_sum(Accumulator *a, const DbValue &v) {
  if (v.type == kDbFloat || v.type == kDbDouble) {
    if (!a->real) a->rsum = (double)a->isum, a->real = true;
    a->rsum += v.real;
  } else if (a->real) {
    a->rsum += (double)v.integer;
  } else {
    int64_t sum;
    if (!__builtin_add_overflow(a->isum, v.integer, &sum)) {
      a->isum = sum;
    } else { // too large for an integer: go on in reals
      a->rsum = (double)a->isum + (double)v.integer;
      a->real = true;
    }
  }
}

void accumulate(Accumulator *a, SqlAggregate kind, const DbValue &v, bool firstRow) {
  if (kind == kSqlPlain) {
    if (firstRow) keep_value(&a->first, &a->firstText, v);
    return;
  }
  if (kind == kSqlCount) return (void)a->count++;
  if (v.type == kDbNull) return;
  a->count++;
  if (kind == kSqlSum || kind == kSqlAvg) return add_sum(a, v);
  int c = a->count == 1 ? 0 : dbvalue_compare(&v, &a->best);
  if (a->count == 1 || (kind == kSqlMin ? c < 0 : c > 0)) keep_value(&a->best, &a->bestText, v);
}

DbValue result(const Accumulator &a, const SqlItem &it) {
  DbValue v = {kDbNull, 0, 0.0, {nullptr, 0}};
  switch (it.aggregate) {
  case kSqlPlain:
    return a.first;
  case kSqlCount:
    return v.type = kDbInteger, v.integer = a.count, v;
  case kSqlMin:
  case kSqlMax:
    return a.count ? a.best : v;
  default:
    break;
  }
  if (a.count == 0) return v;
  double total = a.real ? a.rsum : (double)a.isum;
  if (it.aggregate == kSqlAvg) return v.type = kDbDouble, v.real = total / (double)a.count, v;
  if (it.type == kDbDouble || a.real) return v.type = kDbDouble, v.real = total, v;
  return v.type = kDbInteger, v.integer = a.isum, v;
}

struct Grouper {
  SqlQuery *q;
  std::vector<Accumulator> acc;
  std::vector<std::string> out;
  DbValue key;
  std::string keyText;
  bool open; // a group has rows
};

void emit(Grouper *g) {
  std::vector<DbValue> row(g->q->visibleCount + 1);
  for (int32_t i = 0; i < g->q->visibleCount; i++) row[i] = result(g->acc[i], g->q->items[i]);
  std::string bytes;
  sql_row_encode(row.data(), g->q->visibleCount, &bytes);
  g->out.push_back(std::move(bytes));
  for (Accumulator &a : g->acc) a = Accumulator{};
}

// With GROUP BY, a row whose grouping value differs from the group's ends it.
void add_row(Grouper *g, DbCursor *input) {
  SqlQuery *q = g->q;
  if (q->groupItem >= 0) {
    DbValue k;
    input->ops->value(input, q->groupItem, &k);
    if (g->open && dbvalue_compare(&k, &g->key) != 0) emit(g), g->open = false;
    if (!g->open) keep_value(&g->key, &g->keyText, k);
  }
  bool firstRow = !g->open;
  g->open = true;
  for (int32_t i = 0; i < q->visibleCount; i++) {
    DbValue v;
    input->ops->value(input, i, &v);
    accumulate(&g->acc[i], q->items[i].aggregate, v, firstRow);
  }
}

} // namespace

DbCursor *sql_group_open(SqlParse *, SqlQuery *q, DbCursor *input) {
  Grouper g = {q, std::vector<Accumulator>(q->visibleCount + 1), {}, {}, {}, false};
  for (; !input->ops->atEnd(input); input->ops->moveNext(input)) add_row(&g, input);
  input->ops->close(input);
  if (g.open || q->groupItem < 0) emit(&g);
  return sql_rowset_open(q, q->visibleCount, &g.out, nullptr);
}
