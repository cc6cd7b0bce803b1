// Result rows: the byte encoding of a row, and runs in temporary files
// written and read through buffers.
#include "database/sqlrow.h"
#include "dbengine/dbvalue.h"
#include <cstdlib>
#include <cstring>

namespace {

const uint64_t kRunBufferBytes = 65536;

void put(std::string *out, const void *bytes, size_t n) { out->append((const char *)bytes, n); }

template <class T> bool get(const char **p, const char *end, T *out) {
  if ((size_t)(end - *p) < sizeof(T)) return false;
  memcpy(out, *p, sizeof(T));
  *p += sizeof(T);
  return true;
}

bool flush(SqlRunWriter *w) {
  if (w->buffer.empty() || w->failed) return !w->failed;
  if (!w->run.files->append(w->run.file, w->buffer.data(), (uint32_t)w->buffer.size()))
    w->failed = true;
  w->buffer.clear();
  return !w->failed;
}

} // namespace

void sql_row_encode(const DbValue *values, int32_t n, std::string *out) {
  for (int32_t i = 0; i < n; i++) {
    const DbValue &v = values[i];
    uint8_t type = v.type;
    put(out, &type, 1);
    if (v.type == kDbNull) continue;
    if (dbtype_class(v.type) == kDbClassText) {
      put(out, &v.text.length, 4);
      put(out, v.text.bytes, v.text.length);
    } else if (v.type == kDbFloat || v.type == kDbDouble) {
      put(out, &v.real, 8);
    } else {
      put(out, &v.integer, 8);
    }
  }
}

bool sql_row_decode(const char *bytes, size_t length, int32_t n, DbValue *out) {
  const char *p = bytes, *end = bytes + length;
  for (int32_t i = 0; i < n; i++) {
    DbValue &v = out[i];
    v = DbValue{kDbNull, 0, 0.0, {nullptr, 0}};
    uint8_t type;
    if (!get(&p, end, &type)) return false;
    v.type = (DbType)type;
    if (v.type == kDbNull) continue;
    if (dbtype_class(v.type) == kDbClassText) {
      if (!get(&p, end, &v.text.length) || (size_t)(end - p) < v.text.length) return false;
      v.text.bytes = p;
      p += v.text.length;
    } else if (v.type == kDbFloat || v.type == kDbDouble) {
      if (!get(&p, end, &v.real)) return false;
    } else if (!get(&p, end, &v.integer)) {
      return false;
    }
  }
  return true;
}

size_t sql_run_rows(const SqlRun *run) {
  return run->offsets.empty() ? 0 : run->offsets.size() - 1;
}

void sql_run_close(SqlRun *run) {
  if (run->file) run->files->close(run->file);
  run->file = nullptr;
  run->offsets.clear();
}

bool sql_run_begin(SqlRunWriter *w) {
  void *context;
  w->run.files = sql_temp_files(&context);
  w->run.file = w->run.files->open(context);
  w->run.offsets.assign(1, 0);
  w->buffer.clear();
  w->failed = !w->run.file;
  return !w->failed;
}

void sql_run_append(SqlRunWriter *w, const char *row, size_t length) {
  w->buffer.append(row, length);
  w->run.offsets.push_back(w->run.offsets.back() + length);
  if (w->buffer.size() >= kRunBufferBytes) flush(w);
}

bool sql_run_finish(SqlRunWriter *w, SqlRun *out) {
  bool ok = flush(w);
  *out = std::move(w->run);
  w->run = SqlRun{};
  return ok;
}

void sql_run_reader_init(SqlRunReader *r, const SqlRun *run) {
  r->run = run;
  r->next = 0;
  r->chunk.clear();
  r->chunkAt = 0;
  r->failed = false;
}

bool sql_run_read_at(SqlRunReader *r, size_t index, const char **row, size_t *length) {
  const std::vector<uint64_t> &at = r->run->offsets;
  if (r->failed || index >= sql_run_rows(r->run)) return false;
  uint64_t from = at[index], to = at[index + 1];
  if (from < r->chunkAt || to > r->chunkAt + r->chunk.size()) {
    uint64_t end = at.back(), want = to - from > kRunBufferBytes ? to - from : kRunBufferBytes;
    if (from + want > end) want = end - from;
    r->chunk.resize(want);
    r->chunkAt = from;
    if (want && !r->run->files->readAt(r->run->file, from, r->chunk.data(), (uint32_t)want)) {
      r->failed = true;
      return false;
    }
  }
  *row = r->chunk.data() + (from - r->chunkAt);
  *length = to - from;
  r->next = index + 1;
  return true;
}

bool sql_run_read(SqlRunReader *r, const char **row, size_t *length) {
  return sql_run_read_at(r, r->next, row, length);
}
