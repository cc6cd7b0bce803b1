// Serial controls: the settings tables, opening, resetting and closing the
// port, the process-wide list of controls with the loop's hook that ticks
// them, and the periodic task that keeps the loop polling while a port is open.
#include "devices/serial.h"
#include "base/pool.h"
#include "base/vector.h"
#include "lifecycle/application.h"
#include "objects/registry.h"
#include <cstdio>

static SerialObject *serials;  // every live Serial, newest first
static int32_t openPorts;      // open ones among them
static PeriodicTask *pollTask; // while any port is open

/* ---- the settings tables ---- */

static const DWORD kBaudRates[] = {300,  600,  1200,  1800,  2400,  3600,  4800,
                                   7200, 9600, 14400, 19200, 28800, 38400, 57600};
static const BYTE kDataBits[] = {5, 6, 7, 8};
static const BYTE kParities[] = {NOPARITY, ODDPARITY, EVENPARITY};
static const BYTE kStopBits[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};

template <class T, size_t N> static T lastOr(const T (&table)[N], uint16_t i) {
  return table[i < N ? i : N - 1];
}
template <class T, size_t N> static T firstOr(const T (&table)[N], uint16_t i) {
  return table[i < N ? i : 0];
}

DWORD serial_baud_rate(uint16_t i) { return lastOr(kBaudRates, i); }
BYTE serial_data_bits(uint16_t i) { return lastOr(kDataBits, i); }
BYTE serial_parity(uint16_t i) { return firstOr(kParities, i); }
BYTE serial_stop_bits(uint16_t i) { return firstOr(kStopBits, i); }

bool serial_framing_valid(BYTE dataBits, BYTE stopBits) {
  if (stopBits == ONE5STOPBITS) return dataBits == 5;
  if (stopBits == TWOSTOPBITS) return dataBits != 5;
  return true;
}

// Twice a byte's line time in milliseconds, rounded up; a byte is ten bits on
// the line (start, eight data, stop), near enough for the other framings.
static DWORD allowancePerByte(DWORD baudRate) { return (2 * 10 * 1000 + baudRate - 1) / baudRate; }

COMMTIMEOUTS serial_timeouts(DWORD baudRate) {
  COMMTIMEOUTS t = {};
  t.ReadIntervalTimeout = MAXDWORD; /* with the read totals 0: return what is waiting */
  t.WriteTotalTimeoutMultiplier = allowancePerByte(baudRate);
  t.WriteTotalTimeoutConstant = kSerialWriteStallMs;
  return t;
}

int32_t serial_write_piece(DWORD baudRate) {
  int32_t bytes = (int32_t)(baudRate / 10);
  return bytes < kSerialPieceMin   ? kSerialPieceMin
         : bytes > kSerialPieceMax ? kSerialPieceMax
                                   : bytes;
}

bool serial_com_name(int32_t number, char name[8]) {
  if (number < 1 || number > kSerialLastPort) return false;
  snprintf(name, 8, "COM%d", (int)number);
  return true;
}

/* ---- the comm state ---- */

// The settings of the record applied over the port's own; false (with the
// platform's code kept) when the port refuses them or cannot frame them.
static bool applySettings(SerialObject *s) {
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(s->handle, &dcb)) {
    s->lastError = (int32_t)GetLastError();
    return false;
  }
  dcb.BaudRate = serial_baud_rate(s->baud);
  dcb.ByteSize = serial_data_bits(s->bits);
  dcb.Parity = serial_parity(s->parity);
  dcb.StopBits = serial_stop_bits(s->stop);
  if (!serial_framing_valid(dcb.ByteSize, dcb.StopBits)) { /* some drivers accept it anyway */
    s->lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  COMMTIMEOUTS t = serial_timeouts(dcb.BaudRate);
  if (!SetCommState(s->handle, &dcb) || !SetCommTimeouts(s->handle, &t)) {
    s->lastError = (int32_t)GetLastError();
    return false;
  }
  return true;
}

static void keepPolling(void *) {} /* the loop's hook reads; the task keeps the loop awake */

static void portOpened() {
  if (openPorts++ == 0) pollTask = loop_add_task(keepPolling, nullptr, 1);
}

static void portClosed() {
  if (--openPorts > 0) return;
  loop_remove_task(pollTask);
  pollTask = nullptr;
}

// The name opened: the SerialPort's, or COMn from Port; false when neither.
static bool portName(SerialObject *s, char *name, size_t size) {
  if (s->named) {
    if (!str_len(s->named->name)) return false;
    snprintf(name, size, "%s", str_cview(s->named->name));
    return true;
  }
  char com[8];
  if (!serial_com_name(s->port + 1, com)) return false;
  snprintf(name, size, "%s", com);
  return true;
}

/* ---- the entry points ---- */

bool serialOpen(SerialObject *s) {
  if (s->open) return true;
  char name[MAX_PATH];
  if (!portName(s, name, sizeof name)) {
    s->lastError = ERROR_FILE_NOT_FOUND;
    return false;
  }
  s->handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
  if (s->handle == INVALID_HANDLE_VALUE) {
    s->lastError = (int32_t)GetLastError();
    return false;
  }
  if (!applySettings(s)) {
    CloseHandle(s->handle);
    s->handle = INVALID_HANDLE_VALUE;
    return false;
  }
  s->work = (uint8_t *)pool_alloc(kSerialWorkSize);
  s->open = 1;
  s->lastError = 0;
  portOpened();
  return true;
}

void serialReset(SerialObject *s) {
  if (s->open) applySettings(s);
}

void serialClose(SerialObject *s) {
  if (!s->open) return;
  CloseHandle(s->handle);
  s->handle = INVALID_HANDLE_VALUE;
  s->open = 0;
  s->arrived = 0;
  str_assign(&s->received, nullptr);
  pool_free(s->work, kSerialWorkSize);
  s->work = nullptr;
  portClosed();
}

// Both do nothing: writes are complete when they return, and DTR is left as
// the platform's driver leaves it.
void serialXmitWait(SerialObject *) {}
void serialLeaveDTROnClose(SerialObject *) {}

/* ---- the list and the loop's hook ---- */

int32_t serial_open_count() { return openPorts; }

void serial_tick_all() {
  if (!openPorts) return;
  Vector held; /* a handler may close, release or create controls as the walk goes */
  vec_init(&held);
  for (SerialObject *s = serials; s; s = s->next)
    if (s->open) vec_append_ptr(&held, RuntimeLockObject(&s->header));
  for (int32_t i = 0; i < vec_count(&held); i++) serialTick((SerialObject *)vec_get_ptr(&held, i));
  for (int32_t i = 0; i < vec_count(&held); i++)
    RuntimeUnlockObject((Object *)vec_get_ptr(&held, i));
  vec_dispose(&held);
}

static void makeSerial(Object *o, ClassDef *) {
  SerialObject *s = (SerialObject *)o;
  s->handle = INVALID_HANDLE_VALUE;
  s->next = serials;
  serials = s;
}

static void destroySerial(Object *o, ClassDef *) {
  SerialObject *s = (SerialObject *)o;
  serialClose(s);
  if (s->named) RuntimeUnlockObject(&s->named->header);
  s->named = nullptr;
  for (SerialObject **link = &serials; *link; link = &(*link)->next)
    if (*link == s) {
      *link = s->next;
      break;
    }
}

void serial_classes_attach() {
  ClassDef *cls = registry_find("Serial");
  cls->constructor = makeSerial;
  cls->destructor = destroySerial;
  serialport_class_attach();
  gLoopHooks.tickSerialPorts = serial_tick_all;
}
