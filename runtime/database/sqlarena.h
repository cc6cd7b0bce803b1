// A statement's arena: the nodes and texts a parse builds, freed together.
#pragma once
#include "dbengine/dbapi.h"
#include <cstddef>

struct SqlArenaBlock;
struct SqlArena {
  SqlArenaBlock *blocks; // newest first
  char *free;            // the unused room of the newest block
  size_t left;
};

void sql_arena_init(SqlArena *a);
void sql_arena_free(SqlArena *a);
void *sql_alloc(SqlArena *a, size_t n); // zero-filled, 8-byte aligned
DbText sql_copy(SqlArena *a, DbText t);
DbText sql_concat(SqlArena *a, DbText x, DbText y);

template <class T> T *sql_new(SqlArena *a) { return (T *)sql_alloc(a, sizeof(T)); }
template <class T> T *sql_new_array(SqlArena *a, size_t n) {
  return (T *)sql_alloc(a, sizeof(T) * (n ? n : 1));
}
