// Serial traffic: the tick that takes what has arrived into the receive
// buffer and raises DataAvailable, reading from that buffer, and writing.
#include "devices/serial.h"
#include "ui/control.h"

// Takes what is waiting, a work block at a time, up to the cap per tick: a
// peer that sends without pause must not keep the tick reading for ever.
static void takeArrived(SerialObject *s) {
  RString *taken = nullptr;
  for (int32_t total = 0; total < kSerialTickCap;) {
    DWORD got = 0;
    if (!ReadFile(s->handle, s->work, kSerialWorkSize, &got, nullptr)) {
      s->lastError = (int32_t)GetLastError(); /* the peer went away, say: the port stays open */
      break;
    }
    if (got == 0) break;
    RString *piece = str_make(s->work, (int32_t)got);
    str_append(&taken, piece);
    RuntimeUnlockString(piece);
    total += (int32_t)got;
    if (got < (DWORD)kSerialWorkSize) break; /* nothing more was waiting */
  }
  if (!taken) return;
  str_append(&s->received, taken);
  RuntimeUnlockString(taken);
  s->arrived = 1;
}

void serialTick(SerialObject *s) {
  if (!s->open) return;
  takeArrived(s);
  if (!s->arrived || s->delivering) return; /* a tick inside the handler leaves it for the loop */
  s->arrived = 0;
  s->delivering = 1;
  RuntimeLockObject(&s->header); /* the handler may drop every other reference */
  deliver(&s->header, nullptr, "DataAvailable");
  s->delivering = 0;
  RuntimeUnlockObject(&s->header);
}

RString *serialRead(SerialObject *s, int32_t count) {
  serialTick(s);
  if (count <= 0 || !s->received) return nullptr;
  RString *head = str_left(s->received, count);
  RString *rest = str_tail(s->received, count);
  RuntimeUnlockString(s->received);
  s->received = rest;
  if (!rest) s->arrived = 0; /* nothing left to announce */
  return head;
}

RString *serialReadAll(SerialObject *s) {
  serialTick(s);
  RString *all = s->received;
  s->received = nullptr;
  s->arrived = 0;
  return all;
}

void serialFlush(SerialObject *s) {
  serialTick(s);
  str_assign(&s->received, nullptr);
  s->arrived = 0;
}

// Writes in pieces of about a second's line time; a piece that times out
// short (the peer stopped taking bytes) or fails ends the write.
static int32_t writeBytes(SerialObject *s, const uint8_t *bytes, int32_t n) {
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  int32_t piece = serial_write_piece(GetCommState(s->handle, &dcb) ? dcb.BaudRate : 9600);
  int32_t written = 0;
  while (written < n) {
    DWORD want = (DWORD)(n - written < piece ? n - written : piece), done = 0;
    BOOL ok = WriteFile(s->handle, bytes + written, want, &done, nullptr);
    written += (int32_t)done;
    if (!ok || done < want) {
      s->lastError = ok ? (int32_t)WAIT_TIMEOUT : (int32_t)GetLastError();
      break;
    }
  }
  return written;
}

int32_t serialWrite(SerialObject *s, RString *text) {
  bool opened = serialOpen(s);
  if (!text) return opened;
  if (!opened) return 0;
  return writeBytes(s, (const uint8_t *)str_cview(text), str_len(text));
}
