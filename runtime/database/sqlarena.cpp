// A statement's arena: blocks from malloc, handed out in 8-byte steps and
// freed together when the statement (or the SELECT's cursor) is done.
#include "database/sqlarena.h"
#include <cstdlib>
#include <cstring>

struct SqlArenaBlock {
  SqlArenaBlock *next;
  size_t size; // bytes after this header
};

const size_t kArenaBlockBytes = 16384, kArenaAlign = 8;

void sql_arena_init(SqlArena *a) { *a = SqlArena{nullptr, nullptr, 0}; }

void sql_arena_free(SqlArena *a) {
  for (SqlArenaBlock *b = a->blocks, *next; b; b = next) {
    next = b->next; /* save next before freeing */
    free(b);
  }
  sql_arena_init(a);
}

void *sql_alloc(SqlArena *a, size_t n) {
  n = (n + kArenaAlign - 1) & ~(size_t)(kArenaAlign - 1);
  if (n > a->left) {
    size_t size = n > kArenaBlockBytes ? n : kArenaBlockBytes;
    SqlArenaBlock *b = (SqlArenaBlock *)malloc(sizeof(SqlArenaBlock) + size);
    if (!b) abort(); // out of memory: nothing sensible is left to do
    b->next = a->blocks;
    b->size = size;
    a->blocks = b;
    a->free = (char *)(b + 1);
    a->left = size;
  }
  void *p = a->free;
  a->free += n;
  a->left -= n;
  memset(p, 0, n);
  return p;
}

DbText sql_copy(SqlArena *a, DbText t) {
  if (t.length == 0) return DbText{"", 0};
  char *p = (char *)sql_alloc(a, t.length);
  memcpy(p, t.bytes, t.length);
  return DbText{p, t.length};
}

DbText sql_concat(SqlArena *a, DbText x, DbText y) {
  char *p = (char *)sql_alloc(a, (size_t)x.length + y.length + 1);
  if (x.length) memcpy(p, x.bytes, x.length);
  if (y.length) memcpy(p + x.length, y.bytes, y.length);
  return DbText{p, x.length + y.length};
}
