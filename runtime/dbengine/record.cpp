// Record and key encodings.
#include "dbengine/record.h"

#include <cstring>

namespace {

void put_varint(uint64_t v, std::string *out) {
  while (v >= 0x80) {
    out->push_back(static_cast<char>((v & 0x7f) | 0x80));
    v >>= 7;
  }
  out->push_back(static_cast<char>(v));
}

bool get_varint(const uint8_t *&p, const uint8_t *end, uint64_t *v) {
  uint64_t r = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (p >= end) return false;
    uint8_t b = *p++;
    r |= uint64_t(b & 0x7f) << shift;
    if (!(b & 0x80)) {
      *v = r;
      return true;
    }
  }
  return false;
}

void put_be64(uint64_t v, std::string *out) {
  for (int i = 7; i >= 0; i--) out->push_back(static_cast<char>(v >> (8 * i)));
}

} // namespace

bool dbtype_is_integer(DbType t) { return t == kDbSmallInt || t == kDbInteger || t == kDbBoolean; }
bool dbtype_is_real(DbType t) { return t == kDbFloat || t == kDbDouble; }
bool dbtype_is_bytes(DbType t) {
  return t == kDbText || t == kDbDate || t == kDbTime || t == kDbTimestamp || t == kDbLongText ||
         t == kDbBinary;
}
bool dbtype_valid(uint8_t t) {
  DbType type = static_cast<DbType>(t);
  return t == kDbNull || dbtype_is_integer(type) || dbtype_is_real(type) || dbtype_is_bytes(type);
}

void record_encode(const DbValue *values, uint32_t count, std::string *out) {
  out->push_back(static_cast<char>(count));
  out->push_back(static_cast<char>(count >> 8));
  for (uint32_t i = 0; i < count; i++) {
    const DbValue &v = values[i];
    out->push_back(static_cast<char>(v.type));
    if (dbtype_is_integer(v.type)) {
      put_varint((static_cast<uint64_t>(v.integer) << 1) ^ static_cast<uint64_t>(v.integer >> 63),
                 out);
    } else if (dbtype_is_real(v.type)) {
      char bytes[8];
      memcpy(bytes, &v.real, 8);
      out->append(bytes, 8);
    } else if (dbtype_is_bytes(v.type)) {
      put_varint(v.text.length, out);
      if (v.text.length) out->append(v.text.bytes, v.text.length);
    }
  }
}

int32_t record_decode(const uint8_t *bytes, uint32_t length, std::vector<DbValue> *values) {
  if (length < 2) return 0;
  const uint8_t *p = bytes + 2, *end = bytes + length;
  uint32_t count = bytes[0] | (bytes[1] << 8);
  values->resize(count);
  for (uint32_t i = 0; i < count; i++) {
    if (p >= end || !dbtype_valid(*p)) return 0;
    DbValue &v = (*values)[i];
    v = DbValue{static_cast<DbType>(*p++), 0, 0, {nullptr, 0}};
    uint64_t n;
    if (dbtype_is_integer(v.type)) {
      if (!get_varint(p, end, &n)) return 0;
      v.integer = static_cast<int64_t>((n >> 1) ^ (~(n & 1) + 1));
    } else if (dbtype_is_real(v.type)) {
      if (end - p < 8) return 0;
      memcpy(&v.real, p, 8);
      p += 8;
    } else if (dbtype_is_bytes(v.type)) {
      if (!get_varint(p, end, &n) || n > uint64_t(end - p)) return 0;
      v.text = DbText{reinterpret_cast<const char *>(p), static_cast<uint32_t>(n)};
      p += n;
    }
  }
  return p == end;
}

void key_from_rowid(int64_t id, uint8_t out[8]) {
  uint64_t u = static_cast<uint64_t>(id) ^ (uint64_t(1) << 63);
  for (int i = 0; i < 8; i++) out[i] = static_cast<uint8_t>(u >> (56 - 8 * i));
}

int64_t key_to_rowid(const uint8_t key[8]) {
  uint64_t u = 0;
  for (int i = 0; i < 8; i++) u = (u << 8) | key[i];
  return static_cast<int64_t>(u ^ (uint64_t(1) << 63));
}

void key_append(const DbValue *v, std::string *out) {
  if (v->type == kDbNull) {
    out->push_back(0);
    return;
  }
  out->push_back(1);
  if (dbtype_is_integer(v->type)) {
    put_be64(static_cast<uint64_t>(v->integer) ^ (uint64_t(1) << 63), out);
  } else if (dbtype_is_real(v->type)) {
    uint64_t u;
    double d = v->real == 0 ? 0.0 : v->real; // -0 and 0 are one key
    memcpy(&u, &d, 8);
    u = (u >> 63) ? ~u : u ^ (uint64_t(1) << 63);
    put_be64(u, out);
  } else {
    // Zero bytes escaped as 00 FF and the end marked 00 00, so a prefix
    // orders first and the encoding stays memcmp-ordered.
    for (uint32_t i = 0; i < v->text.length; i++) {
      out->push_back(v->text.bytes[i]);
      if (v->text.bytes[i] == 0) out->push_back(static_cast<char>(0xff));
    }
    out->push_back(0);
    out->push_back(0);
  }
}
