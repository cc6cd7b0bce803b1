// Rows of a table: reading (inline or from sys$blob), inserting with the
// NOT NULL and primary key checks, updating, deleting; the blob chunks;
// converting values to their column's type.
#include "dbengine/engine.h"
#include "dbengine/dbvalue.h"

#include <cstring>

namespace {

const DbValue kNull = {kDbNull, 0, 0, {nullptr, 0}};

int32_t damaged(Db *db, const char *what) {
  return db_fail(&db->status, kDbErrDamaged, "%s is damaged: %s", db->pager.path.c_str(), what);
}

void blob_key(int64_t id, uint32_t chunk, uint8_t out[8]) {
  key_from_rowid((id << kBlobChunkBits) | chunk, out);
}

// The highest 8-byte key of a tree (0 when it is empty).
int32_t last_key(Db *db, uint32_t root, int64_t *last) {
  BtCursor c;
  bt_open(&c, &db->pager, root);
  if (!bt_last(&c)) return 0;
  *last = 0;
  BtCell cell;
  if (!bt_valid(&c)) return 1;
  if (!bt_cell(&c, &cell)) return 0;
  if (cell.keyLength != 8) return damaged(db, "a tree of 8-byte keys has another");
  *last = key_to_rowid(cell.key);
  return 1;
}

int32_t next_blob_id(Db *db, int64_t *id) {
  int64_t last;
  if (db->nextBlobId == 0) {
    if (!last_key(db, pager_header(&db->pager, kHdrBlobRoot), &last)) return 0;
    db->nextBlobId = (last >> kBlobChunkBits) + 1;
  }
  *id = db->nextBlobId++;
  return 1;
}

int32_t next_row_id(Db *db, TableDef *t, int64_t *id) {
  int64_t last;
  if (t->nextRowId == 0) {
    if (!last_key(db, t->root, &last)) return 0;
    t->nextRowId = last < 0 ? 1 : last + 1;
  }
  if (t->nextRowId <= 0 || t->nextRowId == INT64_MAX)
    return db_fail(&db->status, kDbErrTooLarge, "table %s has no row ids left", t->name.c_str());
  *id = t->nextRowId;
  return 1;
}

// Positions c on the row with this id; *found false when there is none.
int32_t seek_row(Db *db, const TableDef *t, int64_t id, BtCursor *c, bool *found) {
  uint8_t key[8];
  key_from_rowid(id, key);
  bt_open(c, &db->pager, t->root);
  return bt_seek(c, key, 8, found);
}

int32_t check_values(Db *db, const TableDef *t, const std::vector<DbValue> &values) {
  for (size_t i = 0; i < t->columns.size(); i++) {
    const ColumnDef &c = t->columns[i];
    if (values[i].type == kDbNull && (!c.nullable || c.keyPosition >= 0))
      return db_fail(&db->status, kDbErrNotNull, "column %s of table %s may not be NULL",
                     c.name.c_str(), t->name.c_str());
  }
  return 1;
}

// Writes the row's cell, moving a record too large for a page to sys$blob.
int32_t row_store(Db *db, const TableDef *t, int64_t id, const std::vector<DbValue> &values) {
  std::string record(1, static_cast<char>(kRowInline));
  record_encode(values.data(), static_cast<uint32_t>(values.size()), &record);
  uint8_t key[8];
  key_from_rowid(id, key);
  if (record.size() <= bt_max_value(8))
    return bt_insert(&db->pager, t->root, key, 8, reinterpret_cast<const uint8_t *>(record.data()),
                     static_cast<uint32_t>(record.size()));
  if (record.size() > UINT32_MAX)
    return db_fail(&db->status, kDbErrTooLarge, "a row is larger than 4 GB");
  int64_t blob;
  record.erase(0, 1);
  if (!blob_write(db, record, &blob)) return 0;
  uint8_t ref[13];
  ref[0] = kRowOverflow;
  key_from_rowid(blob, ref + 1);
  put32(ref + 9, static_cast<uint32_t>(record.size()));
  return bt_insert(&db->pager, t->root, key, 8, ref, sizeof ref);
}

// Frees the sys$blob chunks of the row the cursor stands on, if any.
int32_t row_free_blob(Db *db, BtCursor *c) {
  BtCell cell;
  if (!bt_cell(c, &cell)) return 0;
  if (cell.valueLength == 13 && cell.value[0] == kRowOverflow)
    return blob_delete(db, key_to_rowid(cell.value + 1));
  return 1;
}

int32_t key_lookup(Db *db, const TableDef *t, const std::string &key, BtCursor *c, bool *found) {
  bt_open(c, &db->pager, t->keyRoot);
  return bt_seek(c, reinterpret_cast<const uint8_t *>(key.data()),
                 static_cast<uint32_t>(key.size()), found);
}

int32_t duplicate(Db *db, const TableDef *t) {
  return db_fail(&db->status, kDbErrDuplicateKey,
                 "table %s already has a row with this primary key", t->name.c_str());
}

int32_t key_insert(Db *db, const TableDef *t, const std::string &key, int64_t id) {
  uint8_t value[8];
  key_from_rowid(id, value);
  return bt_insert(&db->pager, t->keyRoot, reinterpret_cast<const uint8_t *>(key.data()),
                   static_cast<uint32_t>(key.size()), value, 8);
}

// Reads text as a date, time or timestamp column's value, also accepting
// the others' forms: a timestamp gives a date column its date and a time
// column its time; a date gives a timestamp column its midnight.
bool parse_temporal(DbType type, DbText text, DbValue *out, std::string *storage) {
  if (dbvalue_parse(type, text, out)) return true;
  DbValue probe;
  if (type == kDbTimestamp && dbvalue_parse(kDbDate, text, &probe)) {
    storage->assign(text.bytes, text.length);
    storage->append(" 00:00:00");
    return dbvalue_parse(type, DbText{storage->data(), static_cast<uint32_t>(storage->size())},
                         out);
  }
  if (!dbvalue_parse(kDbTimestamp, text, &probe) || probe.text.length < 19) return false;
  if (type == kDbDate) return dbvalue_parse(type, DbText{probe.text.bytes, 10}, out);
  if (type == kDbTime) return dbvalue_parse(type, DbText{probe.text.bytes + 11, 8}, out);
  return false;
}

} // namespace

int32_t row_read(Db *db, const BtCell &cell, std::string *buffer, std::vector<DbValue> *values) {
  if (cell.valueLength == 0) return damaged(db, "a row is empty");
  if (cell.value[0] == kRowOverflow) {
    if (cell.valueLength != 13) return damaged(db, "a row has a bad reference");
    if (!blob_read(db, key_to_rowid(cell.value + 1), get32(cell.value + 9), buffer)) return 0;
  } else if (cell.value[0] == kRowInline) {
    buffer->assign(reinterpret_cast<const char *>(cell.value) + 1, cell.valueLength - 1);
  } else {
    return damaged(db, "a row has an unknown kind");
  }
  if (!record_decode(reinterpret_cast<const uint8_t *>(buffer->data()),
                     static_cast<uint32_t>(buffer->size()), values))
    return damaged(db, "a row does not decode");
  return 1;
}

int32_t row_fetch(Db *db, const TableDef *t, int64_t id, bool *found, std::string *buffer,
                  std::vector<DbValue> *values) {
  BtCursor c;
  BtCell cell;
  if (!seek_row(db, t, id, &c, found)) return 0;
  if (!*found) return 1;
  if (!bt_cell(&c, &cell) || !row_read(db, cell, buffer, values)) return 0;
  if (values->size() > t->columns.size())
    return damaged(db, "a row has more values than its table has columns");
  values->resize(t->columns.size(), kNull);
  return 1;
}

int32_t row_key(Db *db, const TableDef *t, const std::vector<DbValue> &values, std::string *key) {
  key->clear();
  for (int32_t col : t->key) key_append(&values[col], key);
  if (key->size() > kDbMaxKeyLength)
    return db_fail(&db->status, kDbErrTooLarge, "a primary key of table %s is longer than %d bytes",
                   t->name.c_str(), kDbMaxKeyLength);
  return 1;
}

int32_t row_insert(Db *db, TableDef *t, std::vector<DbValue> &values, int64_t *id) {
  values.resize(t->columns.size(), kNull);
  if (!check_values(db, t, values) || !next_row_id(db, t, id)) return 0;
  std::string key;
  if (t->keyRoot) {
    BtCursor c;
    bool found;
    if (!row_key(db, t, values, &key) || !key_lookup(db, t, key, &c, &found)) return 0;
    if (found) return duplicate(db, t);
  }
  if (!row_store(db, t, *id, values) || (t->keyRoot && !key_insert(db, t, key, *id))) return 0;
  t->nextRowId = *id + 1;
  return 1;
}

int32_t row_update(Db *db, TableDef *t, int64_t id, const std::vector<DbValue> &old,
                   std::vector<DbValue> &values) {
  values.resize(t->columns.size(), kNull);
  if (!check_values(db, t, values)) return 0;
  if (t->keyRoot) {
    std::string oldKey, newKey;
    if (!row_key(db, t, old, &oldKey) || !row_key(db, t, values, &newKey)) return 0;
    if (oldKey != newKey) {
      BtCursor c;
      bool found;
      if (!key_lookup(db, t, newKey, &c, &found)) return 0;
      if (found) return duplicate(db, t);
      if (!key_lookup(db, t, oldKey, &c, &found)) return 0;
      if (!found) return damaged(db, "a primary key index lacks a row");
      if (!bt_delete(&c) || !key_insert(db, t, newKey, id)) return 0;
    }
  }
  BtCursor c;
  bool found;
  if (!seek_row(db, t, id, &c, &found)) return 0;
  if (!found) return db_fail(&db->status, kDbErrMisuse, "the row was deleted");
  return row_free_blob(db, &c) && row_store(db, t, id, values);
}

int32_t row_delete(Db *db, TableDef *t, int64_t id, const std::vector<DbValue> &old) {
  BtCursor c;
  bool found;
  if (t->keyRoot) {
    std::string key;
    if (!row_key(db, t, old, &key) || !key_lookup(db, t, key, &c, &found)) return 0;
    if (!found) return damaged(db, "a primary key index lacks a row");
    if (!bt_delete(&c)) return 0;
  }
  if (!seek_row(db, t, id, &c, &found)) return 0;
  if (!found) return db_fail(&db->status, kDbErrMisuse, "the row was deleted");
  if (!row_free_blob(db, &c)) return 0;
  if (!seek_row(db, t, id, &c, &found)) return 0; // freeing may have moved it
  return bt_delete(&c);
}

int32_t blob_write(Db *db, const std::string &bytes, int64_t *id) {
  const uint32_t chunk = bt_max_value(8);
  if (bytes.size() / chunk >= (uint64_t(1) << kBlobChunkBits))
    return db_fail(&db->status, kDbErrTooLarge, "a value is too large to store");
  if (!next_blob_id(db, id)) return 0;
  uint32_t root = pager_header(&db->pager, kHdrBlobRoot);
  for (uint64_t off = 0, i = 0; off < bytes.size(); off += chunk, i++) {
    uint8_t key[8];
    blob_key(*id, static_cast<uint32_t>(i), key);
    uint32_t n = static_cast<uint32_t>(bytes.size() - off < chunk ? bytes.size() - off : chunk);
    if (!bt_insert(&db->pager, root, key, 8, reinterpret_cast<const uint8_t *>(bytes.data()) + off,
                   n))
      return 0;
  }
  return 1;
}

int32_t blob_read(Db *db, int64_t id, uint32_t length, std::string *out) {
  out->clear();
  if (length > uint64_t(db->pager.pageCount) * kDbPageSize)
    return damaged(db, "a row's length is beyond the file");
  out->reserve(length);
  BtCursor c;
  bt_open(&c, &db->pager, pager_header(&db->pager, kHdrBlobRoot));
  uint8_t key[8];
  blob_key(id, 0, key);
  bool exact;
  if (!bt_seek(&c, key, 8, &exact)) return 0;
  for (uint32_t i = 0; out->size() < length; i++) {
    BtCell cell;
    if (!bt_valid(&c)) return damaged(db, "a row's chunks are missing");
    if (!bt_cell(&c, &cell)) return 0;
    blob_key(id, i, key);
    if (cell.keyLength != 8 || memcmp(cell.key, key, 8) != 0 || cell.valueLength == 0 ||
        cell.valueLength > length - out->size())
      return damaged(db, "a row's chunks are missing");
    out->append(reinterpret_cast<const char *>(cell.value), cell.valueLength);
    if (!bt_next(&c)) return 0;
  }
  return 1;
}

int32_t blob_delete(Db *db, int64_t id) {
  uint32_t root = pager_header(&db->pager, kHdrBlobRoot);
  uint8_t key[8];
  blob_key(id, 0, key);
  for (;;) {
    BtCursor c;
    bt_open(&c, &db->pager, root);
    bool exact;
    BtCell cell;
    if (!bt_seek(&c, key, 8, &exact)) return 0;
    if (!bt_valid(&c)) return 1;
    if (!bt_cell(&c, &cell)) return 0;
    if (cell.keyLength != 8 || (key_to_rowid(cell.key) >> kBlobChunkBits) != id) return 1;
    if (!bt_delete(&c)) return 0;
  }
}

int32_t value_convert(Db *db, const TableDef *t, int32_t column, const DbValue *v, DbValue *out,
                      std::string *storage) {
  const ColumnDef &c = t->columns[column];
  *out = kNull;
  if (v->type == kDbNull) return 1;
  bool ok = true;
  if (dbtype_is_bytes(v->type)) {
    if (c.type == kDbText || c.type == kDbLongText || c.type == kDbBinary)
      *out = DbValue{c.type, 0, 0, v->text};
    else if (c.type == kDbDate || c.type == kDbTime || c.type == kDbTimestamp)
      ok = parse_temporal(c.type, v->text, out, storage);
    else
      ok = dbvalue_parse(c.type, v->text, out);
  } else if (c.type == kDbText || c.type == kDbLongText) {
    char text[kDbValueTextMax];
    uint32_t n = dbvalue_format(v, text, sizeof text);
    storage->assign(text, n < sizeof text ? n : sizeof text);
    *out = DbValue{c.type, 0, 0, {storage->data(), static_cast<uint32_t>(storage->size())}};
  } else if (dbtype_is_real(c.type)) {
    ok = dbtype_is_integer(v->type) || dbtype_is_real(v->type);
    *out = DbValue{c.type,
                   0,
                   dbtype_is_real(v->type) ? v->real : static_cast<double>(v->integer),
                   {nullptr, 0}};
  } else if (dbtype_is_integer(c.type)) {
    int64_t i = v->integer;
    if (dbtype_is_real(v->type)) {
      ok = v->real >= -9.2e18 && v->real <= 9.2e18 &&
           static_cast<double>(static_cast<int64_t>(v->real)) == v->real;
      i = ok ? static_cast<int64_t>(v->real) : 0;
    } else {
      ok = dbtype_is_integer(v->type);
    }
    if (c.type == kDbBoolean) i = i != 0;
    if (c.type == kDbSmallInt && (i < -32768 || i > 32767)) ok = false;
    if (c.type == kDbInteger && (i < INT32_MIN || i > INT32_MAX)) ok = false;
    *out = DbValue{c.type, i, 0, {nullptr, 0}};
  } else {
    ok = false;
  }
  if (!ok)
    return db_fail(&db->status, kDbErrTypeMismatch,
                   "a value for column %s of table %s is not a valid %s", c.name.c_str(),
                   t->name.c_str(), dbtype_name(c.type));
  return 1;
}
