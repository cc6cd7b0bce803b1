// B+trees over pager pages: byte-string keys ordered by memcmp, each with a
// value; a table's rows (key: the row id), a primary key's index (key: the
// encoded key columns, value: the row id) and the blob chunks all use it.
// Every page a tree reads is bounds-checked, so a damaged file gives
// kDbErrDamaged rather than a wild read.
#pragma once
#include "dbengine/pager.h"

// Node pages, by byte offset.
enum NodeField : uint32_t {
  kNodeType = 0,    // u8, kNodeLeaf or kNodeInterior
  kNodeCount = 2,   // u16, cells
  kNodeContent = 4, // u16, where the packed cells start
  kNodeRight = 8,   // u32, interior: the child right of the last key
  kNodeHeader = 12, // then u16 cell offsets in key order
};
enum : uint8_t { kNodeLeaf = 1, kNodeInterior = 2 };
enum {
  kMaxLeafCell = 1000, // leaf cell: u16 key length, u16 value length, key, value
  kMaxTreeKey = 504,
  kMaxDepth = 20,
};

// The largest value that fits beside a key of keyLength bytes.
inline uint32_t bt_max_value(uint32_t keyLength) { return kMaxLeafCell - 4 - keyLength; }

// A position in a tree: the path of pages from the root and the index taken
// in each (interior: child number, count meaning the right child; leaf:
// cell number, count meaning past its last cell).
struct BtCursor {
  Pager *pager;
  uint32_t root;
  int32_t depth; // levels on the path; 0 before the first seek
  uint32_t pages[kMaxDepth];
  uint32_t index[kMaxDepth];
};

struct BtCell {
  const uint8_t *key;
  uint32_t keyLength;
  const uint8_t *value;
  uint32_t valueLength;
};

int32_t bt_create(Pager *p, uint32_t *root); // a new empty tree

void bt_open(BtCursor *c, Pager *p, uint32_t root);
// Stands on the first cell whose key is >= key; *exact tells whether equal.
int32_t bt_seek(BtCursor *c, const uint8_t *key, uint32_t length, bool *exact);
int32_t bt_first(BtCursor *c);
int32_t bt_last(BtCursor *c);
int32_t bt_next(BtCursor *c);
int32_t bt_prev(BtCursor *c);               // before the first cell: bt_valid false, index 0
bool bt_valid(BtCursor *c);                 // stands on a cell
int32_t bt_cell(BtCursor *c, BtCell *cell); // the cell stood on, checked

// Inserts key/value, replacing the value of an equal key. Moves no cursor.
int32_t bt_insert(Pager *p, uint32_t root, const uint8_t *key, uint32_t keyLength,
                  const uint8_t *value, uint32_t valueLength);
// Deletes the cell the cursor stands on; the cursor must be re-seeked.
int32_t bt_delete(BtCursor *c);

int bt_compare(const uint8_t *a, uint32_t an, const uint8_t *b, uint32_t bn);

// Node access for the check routine: validates a node's header.
int32_t bt_node_ok(Pager *p, uint32_t pgno, const uint8_t *node);
// Cell i of a checked node; interior cells give their child in *child.
int32_t bt_node_cell(Pager *p, uint32_t pgno, const uint8_t *node, uint32_t i, BtCell *cell,
                     uint32_t *child);
