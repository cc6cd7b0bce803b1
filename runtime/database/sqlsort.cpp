// ORDER BY: rows are read into memory until they reach kSqlSortRunBytes,
// then sorted and written as a run to a temporary file. At the end the runs
// (with the last batch as one more) are merged in one pass into the final
// run; when no run was needed the rows stay in memory. Merging all runs at
// once, rather than each batch with the run so far, reads and writes each
// row a fixed number of times however long the sort. The background task
// runs between rows.
//
// Order: key by key (a descending key reverses), then column by column from
// the first; among rows that compare equal the later one comes first.
// Values order as dbvalue_compare orders them, so NULLs come first in an
// ascending key and last in a descending one, numbers compare numerically
// and texts bytewise.
#include "database/sqlrow.h"
#include "dbengine/dbvalue.h"
#include <algorithm>
#include <queue>

namespace {

enum { kMergeBackgroundEvery = 256 }; // merged rows between two background calls

struct Sorter {
  SqlParse *p;
  SqlQuery *q;
  int32_t n;                   // values per row: the items, then the row identity when editable
  SqlRowSource source;         // the table edits go to; nil when read-only
  std::string batch;           // the rows read since the last run, encoded back to back
  std::vector<size_t> starts;  // where each row of the batch starts (and one past the last)
  std::vector<DbValue> values; // the batch decoded: row i at i * n
  std::vector<uint32_t> order; // the batch's rows sorted
  std::vector<SqlRun> runs;    // sorted runs, oldest first
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

size_t batch_rows(const Sorter *s) { return s->starts.size() - 1; }

void sort_batch(Sorter *s) {
  size_t rows = batch_rows(s);
  s->values.resize(rows * s->n + 1);
  for (size_t i = 0; i < rows; i++)
    sql_row_decode(s->batch.data() + s->starts[i], s->starts[i + 1] - s->starts[i], s->n,
                   &s->values[i * s->n]);
  s->order.resize(rows);
  for (size_t i = 0; i < rows; i++) s->order[i] = (uint32_t)i;
  std::sort(s->order.begin(), s->order.end(), [s](uint32_t a, uint32_t b) {
    int c = compare_rows(s->q, &s->values[a * s->n], &s->values[b * s->n]);
    return c < 0 || (c == 0 && a > b); // the later of equal rows first
  });
}

void clear_batch(Sorter *s) {
  s->batch.clear();
  s->starts.assign(1, 0);
}

bool temp_failed(Sorter *s) {
  return sql_fail(s->p, kSqlErrorTempFile, "Could not use a temporary file for sorting");
}

// Sorts the batch and writes it as a new run.
bool spill(Sorter *s) {
  sort_batch(s);
  SqlRunWriter w;
  if (!sql_run_begin(&w)) return temp_failed(s);
  for (uint32_t i : s->order)
    sql_run_append(&w, s->batch.data() + s->starts[i], s->starts[i + 1] - s->starts[i]);
  s->runs.emplace_back();
  bool ok = sql_run_finish(&w, &s->runs.back());
  clear_batch(s);
  return ok || temp_failed(s);
}

// One run being merged: its reader and its current row, decoded.
struct MergeInput {
  SqlRunReader reader;
  const char *row;
  size_t length;
  std::vector<DbValue> values;
};

bool advance(MergeInput *in, int32_t n) {
  if (!sql_run_read(&in->reader, &in->row, &in->length)) return false;
  return sql_row_decode(in->row, in->length, n, in->values.data());
}

// Merges every run into one; among equal rows the later run's goes first.
bool merge_runs(Sorter *s, SqlRun *out) {
  size_t k = s->runs.size();
  std::vector<MergeInput> inputs(k);
  auto after = [s, &inputs](size_t a, size_t b) { // b comes out of the heap before a
    int c = compare_rows(s->q, inputs[a].values.data(), inputs[b].values.data());
    return c > 0 || (c == 0 && a < b);
  };
  std::priority_queue<size_t, std::vector<size_t>, decltype(after)> heap(after);
  for (size_t i = 0; i < k; i++) {
    sql_run_reader_init(&inputs[i].reader, &s->runs[i]);
    inputs[i].values.resize(s->n + 1);
    if (advance(&inputs[i], s->n)) heap.push(i);
  }
  SqlRunWriter w;
  if (!sql_run_begin(&w)) return false;
  for (size_t merged = 1; !heap.empty(); merged++) {
    size_t i = heap.top();
    heap.pop();
    sql_run_append(&w, inputs[i].row, inputs[i].length);
    if (advance(&inputs[i], s->n)) heap.push(i);
    if (merged % kMergeBackgroundEvery == 0) sql_run_background();
  }
  bool failed = false;
  for (MergeInput &in : inputs) failed |= in.reader.failed;
  return sql_run_finish(&w, out) && !failed;
}

bool read_rows(Sorter *s, DbCursor *input) {
  std::vector<DbValue> row(s->n + 1);
  DbCursor *table = s->source.table;
  for (; !input->ops->atEnd(input); input->ops->moveNext(input)) {
    for (int32_t i = 0; i < s->q->itemCount; i++) input->ops->value(input, i, &row[i]);
    if (table) row[s->n - 1] = DbValue{kDbInteger, table->ops->rowId(table), 0.0, {nullptr, 0}};
    sql_row_encode(row.data(), s->n, &s->batch);
    s->starts.push_back(s->batch.size());
    if (s->batch.size() >= kSqlSortRunBytes && !spill(s)) return false;
    sql_run_background();
  }
  return true;
}

// The rows when no run was written: the batch in sorted order.
DbCursor *memory_result(Sorter *s) {
  sort_batch(s);
  std::vector<std::string> sorted(s->order.size());
  for (size_t i = 0; i < s->order.size(); i++) {
    uint32_t r = s->order[i];
    sorted[i].assign(s->batch.data() + s->starts[r], s->starts[r + 1] - s->starts[r]);
  }
  return sql_rowset_open(s->q, s->n, &sorted, nullptr, &s->source);
}

void close_runs(Sorter *s) {
  for (SqlRun &run : s->runs) sql_run_close(&run);
}

// Everything a failed sort holds.
DbCursor *sort_failed(Sorter *s) {
  close_runs(s);
  if (s->source.table) s->source.table->ops->close(s->source.table);
  return nullptr;
}

} // namespace

DbCursor *sql_sort_open(SqlParse *p, SqlQuery *q, DbCursor *input) {
  Sorter s = {p, q, q->itemCount, {nullptr, {}}, {}, {0}, {}, {}, {}};
  if (sql_join_source(input, &s.source)) s.n++;
  bool ok = read_rows(&s, input);
  input->ops->close(input);
  if (ok && s.runs.empty()) return memory_result(&s);
  if (ok && batch_rows(&s) > 0) ok = spill(&s);
  SqlRun result;
  if (ok && !merge_runs(&s, &result)) {
    sql_run_close(&result);
    ok = temp_failed(&s);
  }
  if (!ok) return sort_failed(&s);
  close_runs(&s);
  std::vector<std::string> none;
  return sql_rowset_open(q, s.n, &none, &result, &s.source);
}
