// The crash test's workload, on a database and on a model.
#include "crashwork.h"

#include <cstring>
#include <random>
#include <vector>

namespace {

DbText T(const std::string &s) { return DbText{s.data(), static_cast<uint32_t>(s.size())}; }
DbText T(const char *s) { return DbText{s, static_cast<uint32_t>(strlen(s))}; }

struct Plan {
  std::vector<std::pair<int64_t, CrashRow>> inserts;
  int64_t updateN, updateFrom; // rows with n == updateN and k >= updateFrom get v = updated
  std::string updated;
  int64_t deleteFrom, deleteTo; // rows with deleteFrom <= k < deleteTo go
};

Plan plan(int64_t txn) {
  std::mt19937 rng(static_cast<uint32_t>(txn * 7919));
  Plan p;
  int count = 1 + rng() % 12;
  for (int j = 0; j < count; j++) {
    size_t length = rng() % 8 == 0 ? 1500 + rng() % 9000 : rng() % 200;
    p.inserts.push_back(
        {txn * 100 + j,
         CrashRow{std::string(length, static_cast<char>('a' + (txn + j) % 26)), j % 5}});
  }
  p.updateN = txn % 5;
  p.updateFrom = (txn - 8) * 100;
  p.updated = "updated by " + std::to_string(txn);
  p.deleteFrom = (txn - 5) * 100;
  p.deleteTo = p.deleteFrom + 4;
  return p;
}

// right must outlive the condition.
DbCondition leaf(const char *column, DbOperator op, const std::string &right) {
  return DbCondition{op,    kDbNoFunction, DbText{column, static_cast<uint32_t>(strlen(column))},
                     T(""), T(right),      0,
                     T(""), nullptr,       nullptr};
}

} // namespace

int32_t crash_create(DbEngine *e) {
  DbColumn t[] = {{{"k", 1}, kDbInteger, 0}, {{"v", 1}, kDbLongText, 1}, {{"n", 1}, kDbInteger, 1}};
  DbColumn log[] = {{{"txn", 3}, kDbInteger, 0}};
  uint8_t key = 0;
  return e->ops->createTable(e, DbText{"t", 1}, t, 3, &key, 1) &&
         e->ops->createTable(e, DbText{"log", 3}, log, 1, &key, 1) && e->ops->commit(e);
}

int32_t crash_apply(DbEngine *e, int64_t txn) {
  Plan p = plan(txn);
  for (auto &row : p.inserts) {
    std::string k = std::to_string(row.first), n = std::to_string(row.second.n);
    DbAssignment a[] = {{T("k"), T(k), 0}, {T("v"), T(row.second.v), 1}, {T("n"), T(n), 0}};
    if (!e->ops->insert(e, DbText{"t", 1}, a, 3)) return 0;
  }
  std::string updateN = std::to_string(p.updateN), updateFrom = std::to_string(p.updateFrom);
  std::string deleteFrom = std::to_string(p.deleteFrom), deleteTo = std::to_string(p.deleteTo);
  DbCondition byN = leaf("n", kDbEqual, updateN);
  DbCondition from = leaf("k", kDbGreaterOrEqual, updateFrom);
  DbCondition update = {kDbAnd, kDbNoFunction, T(""), T(""), T(""), 0, T(""), &byN, &from};
  DbCursor *c = e->ops->openCursor(e, DbText{"t", 1}, nullptr, 0, &update);
  if (!c) return 0;
  DbValue v = {kDbText, 0, 0, T(p.updated)};
  for (; !c->ops->atEnd(c); c->ops->moveNext(c))
    if (!c->ops->edit(c) || !c->ops->setValue(c, 1, &v) || !c->ops->update(c)) {
      c->ops->close(c);
      return 0;
    }
  c->ops->close(c);
  DbCondition lo = leaf("k", kDbGreaterOrEqual, deleteFrom);
  DbCondition hi = leaf("k", kDbLess, deleteTo);
  DbCondition range = {kDbAnd, kDbNoFunction, T(""), T(""), T(""), 0, T(""), &lo, &hi};
  c = e->ops->openCursor(e, DbText{"t", 1}, nullptr, 0, &range);
  if (!c) return 0;
  while (!c->ops->atEnd(c))
    if (!c->ops->deleteRow(c)) {
      c->ops->close(c);
      return 0;
    }
  c->ops->close(c);
  std::string n = std::to_string(txn);
  DbAssignment a = {T("txn"), T(n), 0};
  return e->ops->insert(e, DbText{"log", 3}, &a, 1);
}

void crash_model(CrashModel *m, int64_t txn) {
  Plan p = plan(txn);
  for (auto &row : p.inserts) (*m)[row.first] = row.second;
  for (auto it = m->lower_bound(p.updateFrom); it != m->end(); ++it)
    if (it->second.n == p.updateN) it->second.v = p.updated;
  m->erase(m->lower_bound(p.deleteFrom), m->lower_bound(p.deleteTo));
}

int32_t crash_read(DbEngine *e, CrashModel *rows, int64_t *lastTxn) {
  DbCursor *c = e->ops->openCursor(e, DbText{"t", 1}, nullptr, 0, nullptr);
  if (!c) return 0;
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) {
    DbValue k, v, n;
    c->ops->value(c, 0, &k);
    c->ops->value(c, 1, &v);
    c->ops->value(c, 2, &n);
    (*rows)[k.integer] =
        CrashRow{std::string(v.text.bytes ? v.text.bytes : "", v.text.length), n.integer};
  }
  c->ops->close(c);
  c = e->ops->openCursor(e, DbText{"log", 3}, nullptr, 0, nullptr);
  if (!c) return 0;
  *lastTxn = 0;
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) {
    DbValue txn;
    c->ops->value(c, 0, &txn);
    *lastTxn = txn.integer == *lastTxn + 1 ? txn.integer : -1;
    if (*lastTxn < 0) break;
  }
  c->ops->close(c);
  return 1;
}
