// The structure check: walks every tree of the file verifying page bounds,
// key order against the separators above, equal leaf depth, that no page is
// used twice or lost, the free list, that every row decodes with its
// column types, that the primary key indexes match the rows and that every
// blob chunk belongs to exactly one row.
#include "dbengine/engine.h"

#include <cstring>
#include <map>
#include <string>

namespace {

enum TreeKind { kTreeRows, kTreeKeys, kTreeBlobs };

struct Blob {
  uint32_t chunks;
  uint64_t bytes;
};

struct Checker {
  Db *db;
  std::vector<uint8_t> used;
  std::map<int64_t, uint32_t> blobRefs; // blob id -> length its row expects
  std::map<int64_t, Blob> blobs;        // what sys$blob holds
  uint64_t cells;                       // leaf cells of the tree being walked
  int32_t leafDepth;
  const TableDef *table;
  std::string buffer;
  std::vector<DbValue> values;
};

int32_t fault(Checker *k, const char *format, uint32_t a = 0, const char *name = "") {
  char what[160];
  snprintf(what, sizeof what, format, a, name);
  return db_fail(&k->db->status, kDbErrDamaged, "%s is damaged: %s", k->db->pager.path.c_str(),
                 what);
}

int32_t check_row(Checker *k, const BtCell &cell) {
  const TableDef *t = k->table;
  if (cell.keyLength != 8)
    return fault(k, "a row of table %2$s has a bad row id", 0, t->name.c_str());
  if (cell.valueLength == 13 && cell.value[0] == kRowOverflow) {
    int64_t id = key_to_rowid(cell.value + 1);
    if (k->blobRefs.count(id)) return fault(k, "two rows share blob %u", static_cast<uint32_t>(id));
    k->blobRefs[id] = get32(cell.value + 9);
  }
  if (!row_read(k->db, cell, &k->buffer, &k->values)) return 0;
  if (k->values.size() > t->columns.size())
    return fault(k, "a row of table %2$s has too many values", 0, t->name.c_str());
  for (size_t i = 0; i < k->values.size(); i++) {
    DbType type = k->values[i].type;
    if (type != kDbNull && type != t->columns[i].type)
      return fault(k, "a row of table %2$s holds a value of the wrong type", 0, t->name.c_str());
  }
  if (!t->keyRoot) return 1;
  k->values.resize(t->columns.size(), DbValue{kDbNull, 0, 0, {nullptr, 0}});
  std::string key;
  if (!row_key(k->db, t, k->values, &key)) return 0;
  BtCursor c;
  bool found;
  BtCell entry;
  bt_open(&c, &k->db->pager, t->keyRoot);
  if (!bt_seek(&c, reinterpret_cast<const uint8_t *>(key.data()), static_cast<uint32_t>(key.size()),
               &found))
    return 0;
  if (!found || !bt_cell(&c, &entry) || entry.valueLength != 8 ||
      memcmp(entry.value, cell.key, 8) != 0)
    return fault(k, "the primary key index of table %2$s misses a row", 0, t->name.c_str());
  return 1;
}

int32_t check_cell(Checker *k, TreeKind kind, const BtCell &cell) {
  k->cells++;
  switch (kind) {
  case kTreeRows:
    return check_row(k, cell);
  case kTreeKeys:
    if (cell.valueLength != 8)
      return fault(k, "a key entry of table %2$s is malformed", 0, k->table->name.c_str());
    return 1;
  case kTreeBlobs: {
    if (cell.keyLength != 8 || cell.valueLength == 0)
      return fault(k, "sys$blob holds a malformed chunk");
    int64_t key = key_to_rowid(cell.key);
    Blob &b = k->blobs[key >> kBlobChunkBits];
    if ((key & ((1 << kBlobChunkBits) - 1)) != b.chunks) return fault(k, "sys$blob misses a chunk");
    b.chunks++;
    b.bytes += cell.valueLength;
    return 1;
  }
  }
  return 1;
}

// Checks the subtree at pgno, whose keys must lie in [lower, upper).
int32_t walk(Checker *k, TreeKind kind, uint32_t pgno, int32_t depth, const std::string *lower,
             const std::string *upper) {
  Pager *p = &k->db->pager;
  if (depth >= kMaxDepth) return fault(k, "a tree is too deep at page %u", pgno);
  if (pgno == 0 || pgno >= p->pageCount)
    return fault(k, "a tree names page %u, beyond the file", pgno);
  if (k->used[pgno]) return fault(k, "page %u is used twice", pgno);
  k->used[pgno] = 1;
  const uint8_t *n = pager_read(p, pgno);
  if (!n || !bt_node_ok(p, pgno, n)) return 0;
  std::string node(reinterpret_cast<const char *>(n),
                   kDbPageSize); // the walk below may drop cached pages
  const uint8_t *copy = reinterpret_cast<const uint8_t *>(node.data());
  uint32_t count = get16(copy + kNodeCount);
  std::string previous, key;
  for (uint32_t i = 0; i <= count; i++) {
    BtCell cell;
    uint32_t child = get32(copy + kNodeRight);
    if (i < count) {
      if (!bt_node_cell(p, pgno, copy, i, &cell, &child)) return 0;
      key.assign(reinterpret_cast<const char *>(cell.key), cell.keyLength);
      if ((i > 0 && key <= previous) || (lower && key < *lower) || (upper && key >= *upper))
        return fault(k, "page %u has keys out of order", pgno);
    }
    if (copy[kNodeType] == kNodeLeaf) {
      if (i < count && !check_cell(k, kind, cell)) return 0;
    } else {
      const std::string *lo = i > 0 ? &previous : lower;
      if (!walk(k, kind, child, depth + 1, lo, i < count ? &key : upper)) return 0;
    }
    previous = key;
  }
  if (copy[kNodeType] == kNodeLeaf) {
    if (k->leafDepth < 0) k->leafDepth = depth;
    if (k->leafDepth != depth)
      return fault(k, "the leaves under page %u lie at different depths", pgno);
  }
  return 1;
}

int32_t check_tree(Checker *k, TreeKind kind, uint32_t root, const TableDef *t, uint64_t *cells) {
  k->table = t;
  k->cells = 0;
  k->leafDepth = -1;
  if (!walk(k, kind, root, 0, nullptr, nullptr)) return 0;
  *cells = k->cells;
  return 1;
}

int32_t check_free_list(Checker *k) {
  Pager *p = &k->db->pager;
  uint32_t count = 0;
  for (uint32_t pgno = pager_header(p, kHdrFreeHead); pgno != 0; count++) {
    if (pgno >= p->pageCount || k->used[pgno])
      return fault(k, "the free list names page %u wrongly", pgno);
    k->used[pgno] = 1;
    const uint8_t *f = pager_read(p, pgno);
    if (!f) return 0;
    if (get32(f) != 0x45455246) return fault(k, "free page %u is not marked free", pgno);
    pgno = get32(f + 4);
  }
  if (count != pager_header(p, kHdrFreeCount))
    return fault(k, "the free list holds %u pages, not as counted", count);
  return 1;
}

} // namespace

int32_t embedded_check(DbEngine *e) {
  Db *db = db_of(e);
  db_begin(db);
  Checker k{db, std::vector<uint8_t>(db->pager.pageCount, 0), {}, {}, 0, -1, nullptr, {}, {}};
  k.used[0] = 1;
  uint64_t rows, entries;
  for (auto &t : db->tables) {
    if (!check_tree(&k, kTreeRows, t->root, t.get(), &rows)) return 0;
    if (t->keyRoot) {
      if (!check_tree(&k, kTreeKeys, t->keyRoot, t.get(), &entries)) return 0;
      if (entries != rows)
        return fault(&k, "the primary key index of table %2$s has extra entries", 0,
                     t->name.c_str());
    }
  }
  if (!check_tree(&k, kTreeBlobs, pager_header(&db->pager, kHdrBlobRoot), nullptr, &entries))
    return 0;
  for (auto &b : k.blobs) {
    auto ref = k.blobRefs.find(b.first);
    if (ref == k.blobRefs.end() || ref->second != b.second.bytes)
      return fault(&k, "sys$blob holds chunks of blob %u that no row uses",
                   static_cast<uint32_t>(b.first));
  }
  if (k.blobs.size() != k.blobRefs.size())
    return fault(&k, "a row's chunks are missing from sys$blob");
  if (!check_free_list(&k)) return 0;
  for (uint32_t pgno = 1; pgno < db->pager.pageCount; pgno++)
    if (!k.used[pgno]) return fault(&k, "page %u is neither used nor free", pgno);
  return 1;
}
