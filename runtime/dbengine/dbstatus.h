// The storage engine's error state: the code and message of the last
// failure, set by whichever layer (pager, tree, engine) meets it first.
#pragma once
#include <cstdint>
#include <string>

struct DbStatus {
  int32_t code; // DbEngineError, 0 when the last operation succeeded
  std::string message;
};

// Records a failure and returns 0, so a failing path reads
// `return db_fail(s, code, "...")`. The first failure of an operation wins.
int32_t db_fail(DbStatus *s, int32_t code, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The engine error for a DbIoResult, and a phrase for messages.
int32_t db_io_error(int32_t io);
const char *db_io_phrase(int32_t io);

// Little-endian fields of the on-disk records.
inline uint32_t get16(const uint8_t *p) { return p[0] | (p[1] << 8); }
inline uint32_t get32(const uint8_t *p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void put16(uint8_t *p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t *p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

// A checksum over n bytes (n a multiple of 4), seeded so that a record moved
// to another place or another journal does not validate.
uint32_t db_checksum(uint32_t seed, const uint8_t *p, uint32_t n);
