// Times the storage engine on a real file: 100,000 inserts in one
// transaction, 100,000 keyed lookups, a full scan with a WHERE, and 1,000
// small committed transactions. Prints one line per workload in seconds.
#include "dbengine/embedded.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

DbText T(const std::string &s) { return DbText{s.data(), static_cast<uint32_t>(s.size())}; }
DbText T(const char *s) { return DbText{s, static_cast<uint32_t>(strlen(s))}; }

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool insert(DbEngine *e, int i) {
  std::string id = std::to_string(i), name = "name " + std::to_string(i * 7919 % 100000),
              n = std::to_string(i % 100);
  DbAssignment a[] = {{T("id"), T(id), 0}, {T("name"), T(name), 1}, {T("n"), T(n), 0}};
  return e->ops->insert(e, T("t"), a, 3);
}

} // namespace

int main(int argc, char **argv) {
  std::string path = argc > 1 ? argv[1] : "/tmp/dbbench.db";
  unlink(path.c_str());
  unlink((path + "-journal").c_str());
  DbOpenError err;
  DbEngine *e = embedded_open(dbfile_posix(), path.c_str(), kDbOpenCreate, &err);
  if (!e) return 1;
  DbColumn cols[] = {{T("id"), kDbInteger, 0}, {T("name"), kDbText, 1}, {T("n"), kDbInteger, 1}};
  uint8_t key = 0;
  e->ops->createTable(e, T("t"), cols, 3, &key, 1);
  e->ops->commit(e);

  double t0 = now();
  for (int i = 0; i < 100000; i++)
    if (!insert(e, i)) return 2;
  if (!e->ops->commit(e)) return 3;
  printf("inserts      %.3f\n", now() - t0);

  t0 = now();
  long found = 0;
  for (int i = 0; i < 100000; i++) {
    std::string k = std::to_string(i * 7 % 100000);
    DbCondition w = {kDbEqual, kDbNoFunction, T("id"), T(""), T(k), 0, T(""), nullptr, nullptr};
    DbCursor *c = e->ops->openCursor(e, T("t"), nullptr, 0, &w);
    DbValue v;
    if (!c->ops->atEnd(c)) c->ops->value(c, 1, &v), found++;
    c->ops->close(c);
  }
  printf("lookups      %.3f (%ld found)\n", now() - t0, found);

  t0 = now();
  DbCondition w = {kDbEqual, kDbNoFunction, T("n"), T(""), T("7"), 0, T(""), nullptr, nullptr};
  DbCursor *c = e->ops->openCursor(e, T("t"), nullptr, 0, &w);
  long rows = 0;
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) rows++;
  c->ops->close(c);
  printf("scan         %.3f (%ld rows)\n", now() - t0, rows);

  t0 = now();
  for (int i = 0; i < 1000; i++)
    if (!insert(e, 200000 + i) || !e->ops->commit(e)) return 4;
  printf("transactions %.3f\n", now() - t0);
  embedded_close(e);
  return 0;
}
