// Serial ports: the Serial record and its settings tables, the SerialPort
// description record, the process-wide list of serial controls and its tick.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>
#include <windows.h>

struct SerialPortObject;

// A Serial instance (a control without a pane).
struct SerialObject {
  Object header;           // 0
  Object *owner;           // 16: the window whose description placed it, or nil
  HANDLE handle;           // 20: the port, INVALID_HANDLE_VALUE while closed
  uint16_t baud;           // 24: index into the speed table
  uint16_t bits;           // 26: index into the data-bits table
  uint16_t stop;           // 28: index into the stop-bits table
  uint16_t parity;         // 30: index into the parity table
  int32_t port;            // 32: 0 is COM1
  uint8_t open;            // 36
  uint8_t arrived;         // 37: bytes came in since DataAvailable was last raised
  uint8_t delivering;      // 38: its DataAvailable handler is running
  uint8_t spare;           // 39
  RString *received;       // 40: the receive buffer, nil when empty
  uint8_t *work;           // 44: kSerialWorkSize bytes while open
  SerialPortObject *named; // 48: SerialPort; when set its name is opened instead of Port
  uint8_t xon, cts, dtr;   // 52, 53, 54: stored, not applied to the port
  uint8_t spare2;          // 55
  int32_t lastError;       // 56: the platform's code of the last failure, 0 when none
  SerialObject *next;      // 60: the process-wide list of serial controls
};
static_assert(offsetof(SerialObject, owner) == 16);
static_assert(offsetof(SerialObject, handle) == 20);
static_assert(offsetof(SerialObject, baud) == 24);
static_assert(offsetof(SerialObject, bits) == 26);
static_assert(offsetof(SerialObject, stop) == 28);
static_assert(offsetof(SerialObject, parity) == 30);
static_assert(offsetof(SerialObject, port) == 32);
static_assert(offsetof(SerialObject, open) == 36);
static_assert(offsetof(SerialObject, arrived) == 37);
static_assert(offsetof(SerialObject, received) == 40);
static_assert(offsetof(SerialObject, work) == 44);
static_assert(offsetof(SerialObject, named) == 48);
static_assert(offsetof(SerialObject, xon) == 52);
static_assert(offsetof(SerialObject, dtr) == 54);
static_assert(offsetof(SerialObject, lastError) == 56);
static_assert(offsetof(SerialObject, next) == 60);
static_assert(sizeof(SerialObject) == 64);

// A SerialPort instance: a port that exists.
struct SerialPortObject {
  Object header;      // 0
  RString *name;      // 16: such as COM3
  RString *inDriver;  // 20: the same name
  RString *outDriver; // 24: the same name
  int32_t inSpeed;    // 28: kSerialMaximumSpeed
  int32_t outSpeed;   // 32: kSerialMaximumSpeed
  int32_t spare[2];   // 36
};
static_assert(offsetof(SerialPortObject, name) == 16);
static_assert(offsetof(SerialPortObject, outDriver) == 24);
static_assert(offsetof(SerialPortObject, inSpeed) == 28);
static_assert(offsetof(SerialPortObject, outSpeed) == 32);
static_assert(sizeof(SerialPortObject) == 44);

enum : int32_t {
  kSerialWorkSize = 2048,     // the work block, and the chunk the tick reads at a time
  kSerialTickCap = 64 * 1024, // at most this many bytes taken per tick
  kSerialPieceMax = 4096,     // a write goes out in pieces of about a second's line time,
  kSerialPieceMin = 32,       //   within these bounds
  kSerialWriteStallMs = 2000, // a piece that makes no progress for this long ends the write
  kSerialLastPort = 9,        // COM1 to COM9 are reachable by number
  kSerialMaximumSpeed = 115200,
};

// The settings tables: an index the tables do not know gives the first value
// (none, one) for parity and stop bits, the last for speed and data bits.
DWORD serial_baud_rate(uint16_t index);
BYTE serial_data_bits(uint16_t index);
BYTE serial_parity(uint16_t index);
BYTE serial_stop_bits(uint16_t index);
// Data bits and stop bits that a port can frame: 1.5 stop bits only with 5
// data bits, 2 stop bits never with 5.
bool serial_framing_valid(BYTE dataBits, BYTE stopBits);
// The time-outs for a speed: reads return at once with whatever is waiting;
// a write piece may take twice its line time plus the stall allowance, so a
// peer that stops taking bytes (flow control, a full buffer) ends a write
// within seconds instead of holding the user interface.
COMMTIMEOUTS serial_timeouts(DWORD baudRate);
// The size of the pieces a write goes out in: about a second's line time.
int32_t serial_write_piece(DWORD baudRate);

// "COMn" for n in 1..9; false (and no name) outside.
bool serial_com_name(int32_t number, char name[8]);
// Whether COMn exists: it opens without access (and is closed again).
bool serial_port_exists(int32_t number);

// The hook of the event loop: every open serial control reads what arrived
// and raises its events. The list is walked through a snapshot of locked
// references, so a handler may close or release any control.
void serial_tick_all();
// Open serial controls (for tests).
int32_t serial_open_count();

void serial_classes_attach(); // Serial and SerialPort constructors, destructors; the loop hook
void serialport_class_attach();

extern "C" {
bool serialOpen(SerialObject *serial);
void serialClose(SerialObject *serial);
void serialReset(SerialObject *serial);
void serialTick(SerialObject *serial);
int32_t serialWrite(SerialObject *serial, RString *text);
RString *serialRead(SerialObject *serial, int32_t count);
RString *serialReadAll(SerialObject *serial);
void serialFlush(SerialObject *serial);
void serialXmitWait(SerialObject *serial);
void serialLeaveDTROnClose(SerialObject *serial);
int32_t getSerialPortCount();
SerialPortObject *getSerialPort(int32_t index);
}
