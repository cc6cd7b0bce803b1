// The socket engine: connecting, listening and accepting, sending from the
// output queue and receiving into the input queue, the hidden window that
// the library's notifications and the connect timer arrive at, the errors,
// and the raising of the control's events in their fixed order.
#include "devices/socket.h"
#include "devices/socketlib.h"
#include "base/fault.h"
#include "base/platform.h"
#include "ui/control.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

UINT gSocketConnectTimeout = 30000;

enum : UINT_PTR { kConnectTimer = 1 };
enum : long {
  kClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE,             // 51
  kListenEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE, // 59
};
enum : int { kWouldBlock = 10035, kHostUnreachable = 10065 };
// What one notification receives at most, so that a peer sending without
// pause still lets the rest of the program run between its messages.
constexpr int32_t kReceivePerMessage = 4 << 20;
constexpr int32_t kReceiveChunk = 256 << 10; // room offered to one receive

static SocketEngine *engines; // every engine alive, newest first

int32_t socket_engine_count() {
  int32_t n = 0;
  for (SocketEngine *e = engines; e; e = e->next) n++;
  return n;
}

static bool isLive(const SocketEngine *e) {
  for (SocketEngine *p = engines; p; p = p->next)
    if (p == e) return true;
  return false;
}

/* ---- closing and errors ---- */

static void closeSocket(SocketEngine *e) {
  if (e->handle != INVALID_SOCKET) gSocketLib.closesocket(e->handle);
  e->handle = INVALID_SOCKET;
  e->isConnected = 0;
}

static void stopTimer(SocketEngine *e) {
  if (e->timer && e->window) KillTimer(e->window, e->timer);
  e->timer = 0;
}

// Socket, timer and window. A window destroyed from its own procedure gets
// no further messages, and nothing below touches it again.
static void closeAll(SocketEngine *e) {
  closeSocket(e);
  stopTimer(e);
  if (e->window) {
    SetWindowLongPtrA(e->window, 0, 0);
    DestroyWindow(e->window);
  }
  e->window = nullptr;
}

static void clearPending(SocketEngine *e) {
  e->connectedPending = e->errorPending = e->dataPending = e->sentPending = 0;
}

static void libraryErrorText(char *out, size_t size, int code) {
  if (code == kHostUnreachable)
    snprintf(out, size, "Server unreachable.\r\n\r\nPlease check your connection to the Internet.");
  else
    snprintf(out, size, "Winsock error %d", code);
}

static void raisePending(SocketEngine *e);

// An error ends the connection: the code is kept by the engine and the
// control, Error is raised (after Connected, when that is pending too), and
// the unsent output is dropped. What was received stays readable: the
// program may still read it after Error, and a peer that sent and closed
// loses nothing.
static void fail(SocketEngine *e, int32_t code, const char *text) {
  e->error = code;
  snprintf(e->errorText, sizeof e->errorText, "%s", text);
  if (e->owner) e->owner->lastErrorCode = code;
  e->errorPending = 1;
  closeAll(e);
  queue_clear(&e->output);
  raisePending(e);
}

static void failWithLibraryError(SocketEngine *e, int32_t code, int libraryCode) {
  char text[96];
  libraryErrorText(text, sizeof text, libraryCode);
  fail(e, code, text);
}

/* ---- events ---- */

static void freeEngine(SocketEngine *e) {
  closeAll(e);
  for (SocketEngine **link = &engines; *link; link = &(*link)->next)
    if (*link == e) {
      *link = e->next;
      break;
    }
  queue_clear(&e->input);
  queue_clear(&e->output);
  free(e);
}

// Raises the pending events in their order, each flag cleared before its
// event. The control is held while its handlers run, and the engine is
// marked busy: a handler that closes the socket or drops the control's last
// reference leaves the engine's release to the end of this routine.
static void raisePending(SocketEngine *e) {
  SocketObject *s = e->owner;
  if (!s || e->busy) return; /* a nested raise: the outer one continues */
  RuntimeLockObject(&s->header);
  e->busy++;
  static const char *const names[] = {"Connected", "Error", "DataAvailable", "SendComplete"};
  uint8_t *flags[] = {&e->connectedPending, &e->errorPending, &e->dataPending, &e->sentPending};
  for (bool again = true; again && !e->released;) {
    again = false;
    for (int i = 0; i < 4 && !e->released; i++)
      if (*flags[i]) {
        *flags[i] = 0;
        deliver(&s->header, nullptr, names[i]);
        again = true; /* a handler may have made another event pending */
      }
  }
  e->busy--;
  if (e->released) freeEngine(e);
  RuntimeUnlockObject(&s->header); /* may destroy the control, which then frees its engine */
}

/* ---- sending and receiving ---- */

static bool open(const SocketEngine *e) { return e->handle != INVALID_SOCKET; }

// Sends from the output queue until it is empty or the library would block.
// False when it failed: the error was raised and the engine may be gone.
static bool sendQueued(SocketEngine *e) {
  while (open(e) && e->isConnected && queue_length(&e->output) > 0) {
    int n = gSocketLib.send(e->handle, (const char *)queue_front(&e->output),
                            queue_length(&e->output), 0);
    if (n == SOCKET_ERROR) {
      int code = gSocketLib.lastError();
      if (code == kWouldBlock) return true; /* the write message comes when there is room */
      failWithLibraryError(e, kSocketClosed, code);
      return false;
    }
    queue_drop(&e->output, n);
    e->sentSomething = 1;
    if (queue_length(&e->output) == 0) {
      e->sentPending = 1;
      e->events |= kSocketEventSent;
    }
  }
  return true;
}

// Receives what is waiting, up to `bound` bytes, in chunks straight into
// the input queue; a chunk that comes back short means the library has no
// more for now, which spares asking it how much is waiting. True unless it
// failed: the error was raised then and the engine may be gone.
static bool receive(SocketEngine *e, int64_t bound = kReceivePerMessage) {
  int64_t taken = 0;
  while (open(e) && e->isConnected && taken < bound) {
    uint8_t *room = queue_reserve(&e->input, kReceiveChunk);
    if (!room) break; /* the bytes wait in the library until the program reads */
    int n = gSocketLib.recv(e->handle, (char *)room, kReceiveChunk, 0);
    if (n == SOCKET_ERROR) {
      int code = gSocketLib.lastError();
      if (code == kWouldBlock) break;
      char text[96];
      snprintf(text, sizeof text, "Winsock error %d", code);
      fail(e, kSocketReadFailed, text);
      return false;
    }
    if (n == 0) break; /* the peer's end: the close message follows */
    queue_commit(&e->input, n);
    taken += n;
    e->dataPending = 1;
    e->events |= kSocketEventReceived;
    if (n < kReceiveChunk) break;
  }
  return true;
}

/* ---- the hidden window ---- */

static void dottedAddress(char *out, size_t size, const in_addr *a) {
  const uint8_t *b = (const uint8_t *)a;
  snprintf(out, size, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
}

static void connected(SocketEngine *e) {
  e->state = kSocketConnected;
  e->isConnected = 1;
  e->connectedPending = 1;
  e->events |= kSocketEventConnected;
}

// A listening socket takes one connection: the listener closes and the
// engine goes on with the accepted socket.
static bool accepted(SocketEngine *e) {
  sockaddr_in from = {};
  int length = sizeof from;
  SOCKET s = gSocketLib.accept(e->handle, (sockaddr *)&from, &length);
  if (s == INVALID_SOCKET) {
    fail(e, kSocketNoServer, "Connection closed");
    return false;
  }
  gSocketLib.closesocket(e->handle);
  e->handle = s;
  gSocketLib.asyncSelect(s, e->window, kSocketMessage, kClientEvents);
  dottedAddress(e->remote, sizeof e->remote, &from.sin_addr);
  connected(e);
  return true;
}

static void notified(SocketEngine *e, SOCKET from, int event, int error) {
  if (from != e->handle) return; /* left over from a socket closed since */
  switch (event) {
  case FD_CONNECT:
    stopTimer(e);
    if (error) { /* refused or unreachable: no connection was made */
      failWithLibraryError(e, kSocketClosed, error);
      return;
    }
    connected(e);
    break;
  case FD_READ:
    if (!receive(e)) return;
    break;
  case FD_WRITE:
    if (!sendQueued(e)) return;
    break;
  case FD_ACCEPT:
    if (!accepted(e)) return;
    break;
  case FD_CLOSE: /* all the peer sent before closing is kept */
    if (!receive(e, INT64_MAX) || !open(e)) return;
    e->state = kSocketClosedByPeer;
    fail(e, kSocketClosed, "Connection closed");
    return;
  default:
    return;
  }
  raisePending(e);
}

static LRESULT CALLBACK socketProcedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  SocketEngine *e = (SocketEngine *)GetWindowLongPtrA(hwnd, 0);
  if (!e || !isLive(e) || e->window != hwnd) return DefWindowProcA(hwnd, message, wp, lp);
  if (message == WM_TIMER && wp == kConnectTimer) {
    stopTimer(e);
    if (open(e)) fail(e, kSocketNoServer, "Server isn't responding");
    return 0;
  }
  if (message == kSocketMessage) {
    notified(e, (SOCKET)wp, WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wp, lp);
}

static bool makeWindow(SocketEngine *e) {
  HINSTANCE instance = gInstance ? gInstance : GetModuleHandleA(nullptr);
  e->window = CreateWindowExA(0, kSocketWindowClass, "", 0, 0, 0, 1, 1, nullptr, nullptr, instance,
                              nullptr);
  if (!e->window) return false;
  SetWindowLongPtrA(e->window, 0, (LONG_PTR)e);
  return true;
}

/* ---- the operations ---- */

// Steps shared by connect and listen: the library, a clean slate, and a new
// stream socket. False after error 100.
static bool begin(SocketEngine *e) {
  e->events = 0;
  if (!socketlib_load(socketProcedure)) {
    fail(e, kSocketNoLibrary, "Unable to load WinSock");
    return false;
  }
  closeAll(e);
  queue_clear(&e->input);
  queue_clear(&e->output);
  clearPending(e);
  e->error = 0;
  e->remote[0] = 0;
  e->handle = gSocketLib.socket(AF_INET, SOCK_STREAM, 0);
  if (e->handle == INVALID_SOCKET) {
    fail(e, kSocketNoLibrary, "Unable to open socket");
    return false;
  }
  return true;
}

// A dotted address, or the first address of a host of that name.
static bool resolve(RString *name, in_addr *out) {
  const char *text = str_cview(name);
  unsigned long a = gSocketLib.inet_addr(text);
  if (a != INADDR_NONE && *text) {
    out->s_addr = a;
    return true;
  }
  if (!*text) return false;
  hostent *h = gSocketLib.gethostbyname(text);
  if (!h || h->h_addrtype != AF_INET || !h->h_addr_list || !h->h_addr_list[0]) return false;
  memcpy(out, h->h_addr_list[0], sizeof *out);
  return true;
}

static void engineConnect(SocketEngine *e, RString *address, int32_t port) {
  if (!begin(e)) return;
  e->address = sockaddr_in{};
  e->address.sin_family = AF_INET;
  if (!resolve(address, &e->address.sin_addr)) {
    fail(e, kSocketNoServer, "Can't locate server");
    return;
  }
  e->address.sin_port = net_order16((u_short)port);
  if (!makeWindow(e)) {
    fail(e, kSocketNoLibrary, "Unable to open socket");
    return;
  }
  e->state = kSocketConnecting;
  gSocketLib.asyncSelect(e->handle, e->window, kSocketMessage, kClientEvents);
  e->timer = SetTimer(e->window, kConnectTimer, gSocketConnectTimeout, nullptr);
  if (gSocketLib.connect(e->handle, (sockaddr *)&e->address, sizeof e->address) != 0) {
    int code = gSocketLib.lastError();
    if (code != kWouldBlock) failWithLibraryError(e, kSocketNoServer, code);
  }
}

// Listens at the port; at port 0 the library picks one, and the control's
// Port reads it back, so that a program can tell its peers where to come.
static void engineListen(SocketEngine *e, int32_t port) {
  if (!begin(e)) return;
  e->address = sockaddr_in{};
  e->address.sin_family = AF_INET;
  e->address.sin_addr.s_addr = INADDR_ANY;
  e->address.sin_port = net_order16((u_short)port);
  BOOL reuse = TRUE;
  gSocketLib.setsockopt(e->handle, SOL_SOCKET, SO_REUSEADDR, (const char *)&reuse, sizeof reuse);
  if (gSocketLib.bind(e->handle, (sockaddr *)&e->address, sizeof e->address) != 0) {
    failWithLibraryError(e, kSocketNoServer, gSocketLib.lastError());
    return;
  }
  if (!makeWindow(e)) {
    fail(e, kSocketNoLibrary, "Unable to open socket");
    return;
  }
  gSocketLib.asyncSelect(e->handle, e->window, kSocketMessage, kListenEvents);
  if (gSocketLib.listen(e->handle, 1) != 0) {
    failWithLibraryError(e, kSocketNoServer, gSocketLib.lastError());
    return;
  }
  int length = sizeof e->address;
  gSocketLib.getsockname(e->handle, (sockaddr *)&e->address, &length);
  if ((port & 0xFFFF) == 0 && e->owner) e->owner->port = net_order16(e->address.sin_port);
}

static void engineWrite(SocketEngine *e, RString *text) {
  const uint8_t *bytes = (const uint8_t *)str_cview(text);
  if (!queue_append(&e->output, bytes, str_len(text))) {
    fail(e, kSocketClosed, "Out of memory"); /* never dropped without a word */
    return;
  }
  if (open(e) && e->isConnected && sendQueued(e)) raisePending(e);
}

// A count below 1 reads nothing.
static RString *engineRead(SocketEngine *e, int32_t count) {
  return count > 0 ? queue_take(&e->input, count, true) : nullptr;
}

static RString *engineReadAll(SocketEngine *e) {
  return queue_take(&e->input, queue_length(&e->input), true);
}

static RString *engineLookahead(SocketEngine *e) {
  if (!receive(e)) return nullptr; /* the error took the engine's input to the control */
  return queue_take(&e->input, queue_length(&e->input), false);
}

// Flushes, receives, raises what is pending, then lets every socket's
// waiting notifications through. The windows are gathered first and each is
// looked up again as its messages run, so a handler that closes sockets or
// destroys controls leaves nothing dangling.
static void enginePoll(SocketEngine *e) {
  if (sendQueued(e) && receive(e)) raisePending(e);
  HWND windows[64];
  int n = 0;
  for (SocketEngine *p = engines; p && n < 64; p = p->next)
    if (p->window) windows[n++] = p->window;
  MSG m;
  for (int i = 0; i < n; i++)
    while (IsWindow(windows[i]) && PeekMessageA(&m, windows[i], 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
}

static int32_t engineState(SocketEngine *e) { return e->state; }
static void engineDialUp(SocketEngine *) {}
static void engineHangUp(SocketEngine *) {}

static int32_t engineTakeEvents(SocketEngine *e) {
  int32_t bits = e->events;
  e->events = 0;
  return bits;
}

static RString *engineRemoteAddress(SocketEngine *e) {
  return str_from(e->remote[0] ? e->remote : nullptr);
}

static void engineDestroy(SocketEngine *e) {
  e->owner = nullptr;
  if (e->busy) { /* an event of it runs: the raise frees it on return */
    e->released = 1;
    closeAll(e);
    return;
  }
  freeEngine(e);
}

static const SocketEngineOps kEngineOps = {
    engineDestroy, engineConnect,    engineListen,        engineWrite, engineRead,
    engineReadAll, engineLookahead,  enginePoll,          engineState, engineDialUp,
    engineHangUp,  engineTakeEvents, engineRemoteAddress,
};

bool socket_library_ready() { return socketlib_load(socketProcedure); }

SocketEngine *socket_engine_new(SocketObject *owner) {
  SocketEngine *e = (SocketEngine *)calloc(1, sizeof(SocketEngine));
  if (!e) fault_out_of_memory(false);
  e->ops = &kEngineOps;
  e->owner = owner;
  e->handle = INVALID_SOCKET;
  e->next = engines;
  engines = e;
  return e;
}

void socket_engine_release(SocketEngine *e) {
  if (e) e->ops->destroy(e);
}
