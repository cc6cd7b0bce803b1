// The storage engine's error state and checksum.
#include "dbengine/dbstatus.h"
#include "dbengine/embedded.h"

#include <cstdarg>
#include <cstdio>

int32_t db_fail(DbStatus *s, int32_t code, const char *format, ...) {
  if (s->code != 0) return 0; // keep the first, most specific cause
  char buffer[512];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  s->code = code;
  s->message = buffer;
  return 0;
}

int32_t db_io_error(int32_t io) {
  switch (io) {
  case kDbIoNotFound:
    return kDbErrCannotOpen;
  case kDbIoDenied:
    return kDbErrReadOnly;
  case kDbIoInUse:
    return kDbErrInUse;
  case kDbIoFull:
    return kDbErrDiskFull;
  default:
    return kDbErrIo;
  }
}

const char *db_io_phrase(int32_t io) {
  switch (io) {
  case kDbIoNotFound:
    return "the file does not exist";
  case kDbIoDenied:
    return "the file is read-only or access is denied";
  case kDbIoInUse:
    return "the database is in use by another program";
  case kDbIoFull:
    return "the disk is full";
  default:
    return "the device reported an error";
  }
}

uint32_t db_checksum(uint32_t seed, const uint8_t *p, uint32_t n) {
  uint32_t a = seed ^ 0x9e3779b9u, b = seed;
  for (uint32_t i = 0; i + 4 <= n; i += 4) {
    a += get32(p + i);
    b += a ^ (a >> 7);
  }
  return a ^ (b * 0x85ebca6bu);
}
