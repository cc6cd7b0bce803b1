// ORDER BY: rows are read into memory until they reach kSqlSortRunBytes,
// sorted, and merged with the run stored so far into a new run in a
// temporary file; the last batch is merged the same way (or, when no run
// was ever needed, kept in memory). The background task runs between rows.
//
// Order: key by key (a descending key reverses), then column by column from
// the first; among rows that compare equal the later one comes first.
// Values order as dbvalue_compare orders them, so NULLs come first in an
// ascending key and last in a descending one, numbers compare numerically
// and texts bytewise.
#include "database/sqlrow.h"
#include "dbengine/dbvalue.h"
#include <algorithm>

namespace {

struct Sorter {
  SqlParse *p;
  SqlQuery *q;
  int32_t n;                      // values per row
  std::vector<std::string> batch; // rows in the order read
  size_t batchBytes;
  std::vector<DbValue> values; // the batch decoded: row i at i * n
  std::vector<uint32_t> order; // the batch's rows sorted
  SqlRun stored;               // the run merged so far
};

int compare_rows(const SqlQuery *q, const DbValue *a, const DbValue *b) {
  for (int32_t k = 0; k < q->keyCount; k++) {
    const SqlSortKey &key = q->keys[k];
    int c = dbvalue_compare(&a[key.column], &b[key.column]);
    if (c) return key.descending ? -c : c;
  }
  for (int32_t i = 0; i < q->itemCount; i++) {
    int c = dbvalue_compare(&a[i], &b[i]);
    if (c) return c;
  }
  return 0;
}

void sort_batch(Sorter *s) {
  size_t rows = s->batch.size();
  s->values.resize(rows * s->n + 1);
  for (size_t i = 0; i < rows; i++)
    sql_row_decode(s->batch[i].data(), s->batch[i].size(), s->n, &s->values[i * s->n]);
  s->order.resize(rows);
  for (size_t i = 0; i < rows; i++) s->order[i] = (uint32_t)i;
  std::sort(s->order.begin(), s->order.end(), [s](uint32_t a, uint32_t b) {
    int c = compare_rows(s->q, &s->values[a * s->n], &s->values[b * s->n]);
    return c < 0 || (c == 0 && a > b); // the later of equal rows first
  });
}

bool temp_failed(Sorter *s) {
  return sql_fail(s->p, kSqlErrorTempFile, "Could not use a temporary file for sorting");
}

// Merges the sorted batch with the stored run into a new stored run; on
// equal rows the batch's (read later) goes first.
bool spill(Sorter *s) {
  sort_batch(s);
  SqlRunWriter w;
  if (!sql_run_begin(&w)) return temp_failed(s);
  SqlRunReader r;
  sql_run_reader_init(&r, &s->stored);
  std::vector<DbValue> old(s->n + 1);
  const char *row = nullptr;
  size_t length = 0, next = 0;
  bool haveOld = sql_run_read(&r, &row, &length);
  if (haveOld) sql_row_decode(row, length, s->n, old.data());
  while (next < s->order.size() || haveOld) {
    uint32_t i = next < s->order.size() ? s->order[next] : 0;
    bool takeNew = next < s->order.size() &&
                   (!haveOld || compare_rows(s->q, &s->values[i * s->n], old.data()) <= 0);
    if (takeNew) {
      sql_run_append(&w, s->batch[i].data(), s->batch[i].size());
      next++;
      continue;
    }
    sql_run_append(&w, row, length);
    haveOld = sql_run_read(&r, &row, &length);
    if (haveOld) sql_row_decode(row, length, s->n, old.data());
  }
  sql_run_close(&s->stored);
  bool ok = sql_run_finish(&w, &s->stored) && !r.failed;
  s->batch.clear();
  s->batchBytes = 0;
  return ok || temp_failed(s);
}

bool read_rows(Sorter *s, DbCursor *input) {
  std::vector<DbValue> row(s->n + 1);
  for (; !input->ops->atEnd(input); input->ops->moveNext(input)) {
    for (int32_t i = 0; i < s->n; i++) input->ops->value(input, i, &row[i]);
    std::string bytes;
    sql_row_encode(row.data(), s->n, &bytes);
    s->batchBytes += bytes.size();
    s->batch.push_back(std::move(bytes));
    if (s->batchBytes >= kSqlSortRunBytes && !spill(s)) return false;
    sql_run_background();
  }
  return true;
}

} // namespace

DbCursor *sql_sort_open(SqlParse *p, SqlQuery *q, DbCursor *input) {
  Sorter s = {p, q, q->itemCount, {}, 0, {}, {}, {}};
  bool ok = read_rows(&s, input);
  input->ops->close(input);
  if (ok && s.stored.file && !s.batch.empty()) ok = spill(&s);
  if (!ok) {
    sql_run_close(&s.stored);
    return nullptr;
  }
  if (s.stored.file) {
    std::vector<std::string> none;
    return sql_rowset_open(q, s.n, &none, &s.stored);
  }
  sort_batch(&s);
  std::vector<std::string> sorted(s.batch.size());
  for (size_t i = 0; i < s.order.size(); i++) sorted[i] = std::move(s.batch[s.order[i]]);
  return sql_rowset_open(q, s.n, &sorted, nullptr);
}
