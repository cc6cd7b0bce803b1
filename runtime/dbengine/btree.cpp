// B+tree pages: searching, walking, inserting with splits that keep the root
// page in place, and deleting (an emptied page leaves the tree and goes to
// the free list; pages are not merged).
#include "dbengine/btree.h"
#include "dbengine/embedded.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxCells = (uint32_t(kDbPageSize) - kNodeHeader) / 6 + 2;

struct CellRef {
  const uint8_t *bytes;
  uint32_t size;
};

int32_t damaged(Pager *p, uint32_t pgno, const char *what) {
  return db_fail(p->status, kDbErrDamaged, "%s is damaged: page %u %s", p->path.c_str(), pgno,
                 what);
}

uint32_t count_of(const uint8_t *n) { return get16(n + kNodeCount); }
bool is_leaf(const uint8_t *n) { return n[kNodeType] == kNodeLeaf; }

const uint8_t *node_read(Pager *p, uint32_t pgno) {
  const uint8_t *n = pager_read(p, pgno);
  if (n && !bt_node_ok(p, pgno, n)) return nullptr;
  return n;
}

// The bytes of cell i of a checked node, and their size.
int32_t cell_ref(Pager *p, uint32_t pgno, const uint8_t *n, uint32_t i, CellRef *ref) {
  BtCell cell;
  uint32_t child;
  if (!bt_node_cell(p, pgno, n, i, &cell, &child)) return 0;
  ref->bytes = n + get16(n + kNodeHeader + 2 * i);
  ref->size = is_leaf(n) ? 4 + cell.keyLength + cell.valueLength : 6 + cell.keyLength;
  return 1;
}

int32_t child_of(Pager *p, uint32_t pgno, const uint8_t *n, uint32_t i, uint32_t *child) {
  if (i >= count_of(n)) {
    *child = get32(n + kNodeRight);
    return 1;
  }
  BtCell cell;
  return bt_node_cell(p, pgno, n, i, &cell, child);
}

void set_child(uint8_t *n, uint32_t i, uint32_t child) {
  if (i >= count_of(n))
    put32(n + kNodeRight, child);
  else
    put32(n + get16(n + kNodeHeader + 2 * i), child);
}

void remove_slot(uint8_t *n, uint32_t i) {
  uint32_t count = count_of(n);
  memmove(n + kNodeHeader + 2 * i, n + kNodeHeader + 2 * (i + 1), 2 * (count - i - 1));
  put16(n + kNodeCount, count - 1);
}

// Writes cells packed from the end of the page.
void node_build(uint8_t *n, uint8_t type, const CellRef *refs, uint32_t count, uint32_t right) {
  memset(n, 0, kNodeHeader);
  n[kNodeType] = type;
  put16(n + kNodeCount, count);
  put32(n + kNodeRight, right);
  uint32_t off = kDbPageSize;
  for (uint32_t i = 0; i < count; i++) {
    off -= refs[i].size;
    memcpy(n + off, refs[i].bytes, refs[i].size);
    put16(n + kNodeHeader + 2 * i, off);
  }
  put16(n + kNodeContent, off);
}

int32_t push(BtCursor *c, uint32_t pgno, uint32_t index) {
  if (c->depth >= kMaxDepth) return damaged(c->pager, pgno, "makes its tree too deep");
  c->pages[c->depth] = pgno;
  c->index[c->depth] = index;
  c->depth++;
  return 1;
}

// Descends from pgno to a leaf along the first (or last) children.
int32_t descend(BtCursor *c, uint32_t pgno, bool last) {
  for (;;) {
    const uint8_t *n = node_read(c->pager, pgno);
    if (!n) return 0;
    uint32_t count = count_of(n);
    if (is_leaf(n)) return push(c, pgno, last && count ? count - 1 : 0);
    uint32_t i = last ? count : 0;
    if (!push(c, pgno, i) || !child_of(c->pager, pgno, n, i, &pgno)) return 0;
  }
}

// Moves past exhausted leaves (after a step forward or a seek that ended
// past a leaf's last cell); at the end the path stays on the last leaf.
int32_t settle_forward(BtCursor *c) {
  for (;;) {
    int32_t leaf = c->depth - 1;
    const uint8_t *n = node_read(c->pager, c->pages[leaf]);
    if (!n) return 0;
    if (c->index[leaf] < count_of(n)) return 1;
    int32_t up = leaf - 1;
    for (; up >= 0; up--) {
      const uint8_t *u = node_read(c->pager, c->pages[up]);
      if (!u) return 0;
      if (c->index[up] < count_of(u)) break;
    }
    if (up < 0) return 1;
    c->index[up]++;
    const uint8_t *u = pager_read(c->pager, c->pages[up]);
    uint32_t child;
    if (!child_of(c->pager, c->pages[up], u, c->index[up], &child)) return 0;
    c->depth = up + 1;
    if (!descend(c, child, false)) return 0;
  }
}

// Finds the leaf where key belongs and the cell index it would take there.
int32_t seek_leaf(BtCursor *c, const uint8_t *key, uint32_t length, bool *exact) {
  c->depth = 0;
  uint32_t pgno = c->root;
  for (;;) {
    const uint8_t *n = node_read(c->pager, pgno);
    if (!n) return 0;
    uint32_t lo = 0, hi = count_of(n);
    bool leaf = is_leaf(n);
    *exact = false;
    while (lo < hi) {
      uint32_t mid = (lo + hi) / 2;
      BtCell cell;
      uint32_t child;
      if (!bt_node_cell(c->pager, pgno, n, mid, &cell, &child)) return 0;
      int cmp = bt_compare(cell.key, cell.keyLength, key, length);
      if (cmp < 0 || (!leaf && cmp == 0))
        lo = mid + 1;
      else
        hi = mid;
      if (leaf && cmp == 0) *exact = true;
    }
    if (!push(c, pgno, lo)) return 0;
    if (leaf) return 1;
    if (!child_of(c->pager, pgno, n, lo, &pgno)) return 0;
  }
}

bool on_rightmost_path(const BtCursor *c, int32_t lvl) {
  for (int32_t i = 0; i < lvl; i++) {
    const uint8_t *n = pager_read(c->pager, c->pages[i]);
    if (!n || c->index[i] != count_of(n)) return false;
  }
  return true;
}

// Where to split n cells: half the bytes each side, or, when cells arrive
// in ascending order at the tree's right edge, everything old on the left.
uint32_t split_point(const CellRef *refs, uint32_t n, bool append) {
  if (append) return n - 1;
  uint32_t total = 0, half = 0, m = 0;
  for (uint32_t i = 0; i < n; i++) total += refs[i].size + 2;
  while (m < n - 1 && half + refs[m].size + 2 <= total / 2) half += refs[m++].size + 2;
  return m < 1 ? 1 : m;
}

// Moves the root's contents to a new page under it, so the root keeps its
// page number when the tree grows a level.
int32_t grow_root(BtCursor *c, const uint8_t *copy) {
  if (c->depth >= kMaxDepth) return damaged(c->pager, c->root, "makes its tree too deep");
  uint32_t child = pager_allocate(c->pager);
  uint8_t *cn = child ? pager_write(c->pager, child) : nullptr;
  uint8_t *root = cn ? pager_write(c->pager, c->root) : nullptr;
  if (!root) return 0;
  memcpy(cn, copy, kDbPageSize);
  node_build(root, kNodeInterior, nullptr, 0, child);
  memmove(c->pages + 1, c->pages, sizeof(uint32_t) * c->depth);
  memmove(c->index + 1, c->index, sizeof(uint32_t) * c->depth);
  c->pages[0] = c->root;
  c->index[0] = 0;
  c->pages[1] = child;
  c->depth++;
  return 1;
}

// Inserts a cell at index idx of the node at level lvl of the path,
// splitting it (and its ancestors) when it does not fit.
int32_t node_insert(BtCursor *c, int32_t lvl, const uint8_t *cell, uint32_t size, uint32_t idx) {
  Pager *p = c->pager;
  uint8_t *n = pager_write(p, c->pages[lvl]);
  if (!n || !bt_node_ok(p, c->pages[lvl], n)) return 0;
  uint32_t count = count_of(n);
  uint32_t content = get16(n + kNodeContent);
  if (kNodeHeader + 2 * (count + 1) + size <= content) {
    content -= size;
    memcpy(n + content, cell, size);
    memmove(n + kNodeHeader + 2 * (idx + 1), n + kNodeHeader + 2 * idx, 2 * (count - idx));
    put16(n + kNodeHeader + 2 * idx, content);
    put16(n + kNodeCount, count + 1);
    put16(n + kNodeContent, content);
    return 1;
  }
  uint8_t copy[kDbPageSize];
  memcpy(copy, n, kDbPageSize);
  CellRef refs[kMaxCells];
  uint32_t total = kNodeHeader, k = 0;
  for (uint32_t i = 0; i <= count; i++) {
    if (i == idx) refs[k++] = CellRef{cell, size};
    if (i < count && !cell_ref(p, c->pages[lvl], copy, i, &refs[k++])) return 0;
  }
  for (uint32_t i = 0; i < k; i++) total += refs[i].size + 2;
  if (total - (size + 2) > kDbPageSize) // the cells overlap: no half of them would fit either
    return damaged(p, c->pages[lvl], "has overlapping cells");
  uint8_t type = copy[kNodeType];
  if (total <= kDbPageSize) {
    node_build(n, type, refs, k, get32(copy + kNodeRight));
    return 1;
  }
  if (lvl == 0) {
    if (!grow_root(c, copy)) return 0;
    lvl = 1;
    n = pager_write(p, c->pages[1]);
  }
  bool append = idx == k - 1 && on_rightmost_path(c, lvl);
  uint32_t m = split_point(refs, k, append);
  uint32_t right = pager_allocate(p);
  uint8_t *rn = right ? pager_write(p, right) : nullptr;
  if (!rn) return 0;
  uint8_t sep[kMaxLeafCell];
  uint32_t sepLength;
  if (type == kNodeLeaf) {
    sepLength = get16(refs[m].bytes);
    memcpy(sep + 6, refs[m].bytes + 4, sepLength);
    node_build(n, type, refs, m, 0);
    node_build(rn, type, refs + m, k - m, 0);
  } else {
    if (m >= k) m = k - 1;
    sepLength = get16(refs[m].bytes + 4);
    memcpy(sep + 6, refs[m].bytes + 6, sepLength);
    node_build(n, type, refs, m, get32(refs[m].bytes));
    node_build(rn, type, refs + m + 1, k - m - 1, get32(copy + kNodeRight));
  }
  // The parent's pointer to this page now leads to the right half; the new
  // cell before it leads to the left half, below the separator.
  uint8_t *parent = pager_write(p, c->pages[lvl - 1]);
  if (!parent) return 0;
  set_child(parent, c->index[lvl - 1], right);
  put32(sep, c->pages[lvl]);
  put16(sep + 4, sepLength);
  return node_insert(c, lvl - 1, sep, 6 + sepLength, c->index[lvl - 1]);
}

// Takes the emptied page at level lvl out of its parent, and the parent out
// of its own when that leaves it without children.
int32_t remove_child(BtCursor *c, int32_t lvl) {
  Pager *p = c->pager;
  if (!pager_free(p, c->pages[lvl])) return 0;
  uint32_t up = c->pages[lvl - 1];
  uint8_t *n = pager_write(p, up);
  if (!n || !bt_node_ok(p, up, n)) return 0;
  uint32_t count = count_of(n), ci = c->index[lvl - 1];
  if (ci < count) {
    remove_slot(n, ci);
    return 1;
  }
  if (count > 0) {
    uint32_t child;
    if (!child_of(p, up, n, count - 1, &child)) return 0;
    put32(n + kNodeRight, child);
    remove_slot(n, count - 1);
    return 1;
  }
  if (lvl - 1 == 0) {
    node_build(n, kNodeLeaf, nullptr, 0, 0);
    return 1;
  }
  return remove_child(c, lvl - 1);
}

} // namespace

int bt_compare(const uint8_t *a, uint32_t an, const uint8_t *b, uint32_t bn) {
  int r = memcmp(a, b, an < bn ? an : bn);
  if (r != 0) return r;
  return an < bn ? -1 : an > bn ? 1 : 0;
}

int32_t bt_node_ok(Pager *p, uint32_t pgno, const uint8_t *n) {
  if (n[kNodeType] != kNodeLeaf && n[kNodeType] != kNodeInterior)
    return damaged(p, pgno, "is not a tree page");
  uint32_t count = count_of(n), content = get16(n + kNodeContent);
  // The smallest cell takes 4 bytes and its slot 2, so no sound page holds
  // more than kMaxCells - 2; node_insert's cell list relies on that.
  if (kNodeHeader + 2 * count > content || content > kDbPageSize || count > kMaxCells - 2)
    return damaged(p, pgno, "has a bad cell count");
  if (n[kNodeType] == kNodeInterior) {
    uint32_t right = get32(n + kNodeRight);
    if (right == 0 || right >= p->pageCount) return damaged(p, pgno, "has a bad child page number");
  }
  return 1;
}

int32_t bt_node_cell(Pager *p, uint32_t pgno, const uint8_t *n, uint32_t i, BtCell *cell,
                     uint32_t *child) {
  uint32_t count = count_of(n);
  uint32_t off = get16(n + kNodeHeader + 2 * i);
  if (i >= count || off < kNodeHeader + 2 * count || off + 6 > kDbPageSize)
    return damaged(p, pgno, "has a cell out of bounds");
  if (is_leaf(n)) {
    cell->keyLength = get16(n + off);
    cell->valueLength = get16(n + off + 2);
    cell->key = n + off + 4;
    cell->value = cell->key + cell->keyLength;
    *child = 0;
    if (4 + cell->keyLength + cell->valueLength > kMaxLeafCell || cell->keyLength > kMaxTreeKey ||
        off + 4 + cell->keyLength + cell->valueLength > kDbPageSize)
      return damaged(p, pgno, "has a cell out of bounds");
    return 1;
  }
  *child = get32(n + off);
  cell->keyLength = get16(n + off + 4);
  cell->key = n + off + 6;
  cell->value = nullptr;
  cell->valueLength = 0;
  if (cell->keyLength > kMaxTreeKey || off + 6 + cell->keyLength > kDbPageSize)
    return damaged(p, pgno, "has a cell out of bounds");
  if (*child == 0 || *child >= p->pageCount) return damaged(p, pgno, "has a bad child page number");
  return 1;
}

int32_t bt_create(Pager *p, uint32_t *root) {
  *root = pager_allocate(p);
  uint8_t *n = *root ? pager_write(p, *root) : nullptr;
  if (!n) return 0;
  node_build(n, kNodeLeaf, nullptr, 0, 0);
  return 1;
}

void bt_open(BtCursor *c, Pager *p, uint32_t root) {
  c->pager = p;
  c->root = root;
  c->depth = 0;
}

int32_t bt_seek(BtCursor *c, const uint8_t *key, uint32_t length, bool *exact) {
  return seek_leaf(c, key, length, exact) && settle_forward(c);
}

int32_t bt_first(BtCursor *c) {
  c->depth = 0;
  return descend(c, c->root, false) && settle_forward(c);
}

int32_t bt_last(BtCursor *c) {
  c->depth = 0;
  if (!descend(c, c->root, true)) return 0;
  const uint8_t *n = pager_read(c->pager, c->pages[c->depth - 1]);
  return count_of(n) ? 1 : bt_prev(c);
}

int32_t bt_next(BtCursor *c) {
  if (c->depth == 0) return 1;
  c->index[c->depth - 1]++;
  return settle_forward(c);
}

int32_t bt_prev(BtCursor *c) {
  for (;;) {
    if (c->depth == 0) return 1;
    int32_t leaf = c->depth - 1;
    if (c->index[leaf] > 0) {
      c->index[leaf]--;
      return 1;
    }
    int32_t up = leaf - 1;
    while (up >= 0 && c->index[up] == 0) up--;
    if (up < 0) {
      c->depth = 0; // before the first cell
      return 1;
    }
    c->index[up]--;
    const uint8_t *u = pager_read(c->pager, c->pages[up]);
    uint32_t child;
    if (!u || !child_of(c->pager, c->pages[up], u, c->index[up], &child)) return 0;
    c->depth = up + 1;
    if (!descend(c, child, true)) return 0;
    const uint8_t *n = pager_read(c->pager, c->pages[c->depth - 1]);
    if (count_of(n)) return 1;
    c->index[c->depth - 1] = 0; // an empty leaf: keep stepping back
  }
}

bool bt_valid(BtCursor *c) {
  if (c->depth == 0) return false;
  const uint8_t *n = pager_read(c->pager, c->pages[c->depth - 1]);
  return n && c->index[c->depth - 1] < count_of(n);
}

int32_t bt_cell(BtCursor *c, BtCell *cell) {
  uint32_t pgno = c->pages[c->depth - 1], child;
  const uint8_t *n = node_read(c->pager, pgno);
  return n && bt_node_cell(c->pager, pgno, n, c->index[c->depth - 1], cell, &child);
}

int32_t bt_insert(Pager *p, uint32_t root, const uint8_t *key, uint32_t keyLength,
                  const uint8_t *value, uint32_t valueLength) {
  if (keyLength > kMaxTreeKey || 4 + keyLength + valueLength > kMaxLeafCell)
    return db_fail(p->status, kDbErrTooLarge, "a key or value is too large for a page");
  BtCursor c;
  bt_open(&c, p, root);
  bool exact;
  if (!seek_leaf(&c, key, keyLength, &exact)) return 0;
  int32_t leaf = c.depth - 1;
  if (exact) {
    uint8_t *n = pager_write(p, c.pages[leaf]);
    if (!n) return 0;
    remove_slot(n, c.index[leaf]);
  }
  uint8_t cell[kMaxLeafCell];
  put16(cell, keyLength);
  put16(cell + 2, valueLength);
  memcpy(cell + 4, key, keyLength);
  if (valueLength) memcpy(cell + 4 + keyLength, value, valueLength);
  return node_insert(&c, leaf, cell, 4 + keyLength + valueLength, c.index[leaf]);
}

int32_t bt_delete(BtCursor *c) {
  int32_t leaf = c->depth - 1;
  uint8_t *n = pager_write(c->pager, c->pages[leaf]);
  if (!n || !bt_node_ok(c->pager, c->pages[leaf], n)) return 0;
  if (c->index[leaf] >= count_of(n)) return damaged(c->pager, c->pages[leaf], "lost a cell");
  remove_slot(n, c->index[leaf]);
  if (count_of(n) == 0 && leaf > 0 && !remove_child(c, leaf)) return 0;
  c->depth = 0;
  return 1;
}
