// Rows and keys as bytes: a record holds each column's type and value; a
// key encodes values so that memcmp orders them as the values order.
#pragma once
#include "dbengine/dbapi.h"

#include <string>
#include <vector>

// Appends a record of count values: u16 count, then per value its DbType
// byte and payload (integers zigzag varints, reals 8 bytes, texts and
// blobs a varint length and the bytes).
void record_encode(const DbValue *values, uint32_t count, std::string *out);

// Decodes a record; texts point into bytes. 0 when it is malformed.
int32_t record_decode(const uint8_t *bytes, uint32_t length, std::vector<DbValue> *values);

// Whether a type keeps its value in DbValue.integer, .real or .text.
bool dbtype_is_integer(DbType t);
bool dbtype_is_real(DbType t);
bool dbtype_is_bytes(DbType t);
bool dbtype_valid(uint8_t t);

// Row ids as 8-byte keys (big-endian with the sign flipped).
void key_from_rowid(int64_t id, uint8_t out[8]);
int64_t key_to_rowid(const uint8_t key[8]);

// Appends a value's order-preserving key encoding.
void key_append(const DbValue *v, std::string *out);
