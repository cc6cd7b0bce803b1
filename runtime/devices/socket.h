// Sockets: the Socket control's record, the socket engine that carries its
// one TCP connection (a non-blocking socket whose notifications arrive as
// messages to a hidden window of its own), and the entry points.
#pragma once
#include "devices/bytequeue.h"
#include "objects/objects.h"
#include <cstddef>
#include <winsock2.h>
#include <windows.h>

struct SocketEngine;

// A Socket instance.
struct SocketObject {
  Object header;         // 0
  Object *owner;         // 16: the window whose description placed it, or nil
  RString *address;      // 20: Address, a dotted address or a host name
  int32_t port;          // 24: Port; the low 16 bits are used
  int32_t lastErrorCode; // 28: the control's copy of the last error
  SocketEngine *engine;  // 32: owned; never nil while the control lives
};
static_assert(offsetof(SocketObject, owner) == 16);
static_assert(offsetof(SocketObject, address) == 20);
static_assert(offsetof(SocketObject, port) == 24);
static_assert(offsetof(SocketObject, lastErrorCode) == 28);
static_assert(offsetof(SocketObject, engine) == 32);
static_assert(sizeof(SocketObject) == 36);

enum SocketState : int32_t {
  kSocketIdle = 0, // also while listening
  kSocketClosedByPeer = 1,
  kSocketConnecting = 4,
  kSocketConnected = 5,
};

// Error codes of LastErrorCode.
enum SocketError : int32_t {
  kSocketNoError = 0,
  kSocketNoLibrary = 100,  // the library or a socket could not be had
  kSocketNoServer = 101,   // no such host, no answer, binding or listening failed
  kSocketClosed = 102,     // refused, closed by the peer, or a send failed
  kSocketReadFailed = 104, // a receive failed
};

// Bits of socketGetEvents.
enum SocketEventBit : int32_t {
  kSocketEventConnected = 1,
  kSocketEventReceived = 4,
  kSocketEventSent = 8,
};

// The engine's operations, in this order.
struct SocketEngineOps {
  void (*destroy)(SocketEngine *e);
  void (*connect)(SocketEngine *e, RString *address, int32_t port);
  void (*listen)(SocketEngine *e, int32_t port);
  void (*write)(SocketEngine *e, RString *text);
  RString *(*read)(SocketEngine *e, int32_t count);
  RString *(*readAll)(SocketEngine *e);
  RString *(*lookahead)(SocketEngine *e);
  void (*poll)(SocketEngine *e);
  int32_t (*state)(SocketEngine *e);
  void (*dialUp)(SocketEngine *e);
  void (*hangUp)(SocketEngine *e);
  int32_t (*takeEvents)(SocketEngine *e);
  RString *(*remoteAddress)(SocketEngine *e);
};

struct SocketEngine {
  const SocketEngineOps *ops; // 0
  int32_t error;              // 4: 0 = none
  SocketObject *owner;        // 8: the control, borrowed; nil once the control let go
  SOCKET handle;              // 12: INVALID_SOCKET when none
  sockaddr_in address;        // 16: family, port (network order), IPv4 address
  ByteQueue input;            // 32: received, not yet read
  ByteQueue output;           // 48: written, not yet sent
  uint8_t connectedPending;   // 64: events waiting to be raised, in raising order
  uint8_t errorPending;       // 65
  uint8_t dataPending;        // 66
  uint8_t sentPending;        // 67
  uint8_t sentSomething;      // 68
  uint8_t isConnected;        // 69
  uint8_t released;           // 70: the control let go while an event of it ran
  uint8_t spare;              // 71
  HWND window;                // 72: the hidden window, or nil
  UINT_PTR timer;             // 76: the connect timer's id, 0 when none runs
  int32_t events;             // 80: SocketEventBit, gathered for socketGetEvents
  int32_t state;              // 84: a SocketState
  char remote[16];            // 88: the peer's dotted address once accepted
  int32_t busy;               // 104: events of this engine being raised
  SocketEngine *next;         // 108: the process-wide list of engines
  char errorText[96];         // 112: what the last error was, for people
};
static_assert(offsetof(SocketEngine, address) == 16);
static_assert(offsetof(SocketEngine, input) == 32);
static_assert(offsetof(SocketEngine, connectedPending) == 64);
static_assert(offsetof(SocketEngine, window) == 72);

// A fresh idle engine for the control.
SocketEngine *socket_engine_new(SocketObject *owner);
// The control lets go of its engine: the socket, timer and window close, and
// the record goes at once, or when the event of it that runs now returns.
void socket_engine_release(SocketEngine *e);
// The hidden-window message an engine's socket notifications arrive as.
constexpr UINT kSocketMessage = 1024;
// Milliseconds a connection may take before it counts as unanswered; tests
// shorten it.
extern UINT gSocketConnectTimeout;
// Loads the socket library when it is not yet; false when it cannot be had.
bool socket_library_ready();
// Engines alive, for tests that look for leaks.
int32_t socket_engine_count();

void socket_classes_attach(); // the Socket class's constructor and destructor

extern "C" {
void SocketConnect(SocketObject *s);
void socketDirectConnect(SocketObject *s, RString *address, int32_t port);
void SocketListen(SocketObject *s);
void SocketWrite(SocketObject *s, RString *text);
RString *socketRead(SocketObject *s, int32_t count);
RString *SocketReadAll(SocketObject *s);
RString *socketLookahead(SocketObject *s, int32_t);
void socketPoll(SocketObject *s);
void socketClose(SocketObject *s);
int32_t socketLastErrorCode(SocketObject *s, int32_t);
int32_t socketGetEvents(SocketObject *s);
int32_t socketPPPStatus(SocketObject *s, int32_t);
void socketPPPConnect(SocketObject *s);
void socketPPPDisconnect(SocketObject *s);
RString *socketLocalAddressGetter(SocketObject *s, int32_t);
RString *socketRemoteAddressGetter(SocketObject *s, int32_t);
int32_t PluginMarkSocketUsage();
RString *pluginSocketRead(SocketObject *s, int32_t count);
RString *pluginSocketReadAll(SocketObject *s);
RString *pluginSocketLookahead(SocketObject *s);
}
