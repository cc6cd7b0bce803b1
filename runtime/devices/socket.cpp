// The Socket class: its constructor and destructor, the entry points that
// compiled code calls, which hand each request to the control's engine, the
// local and remote addresses, and the socket helpers of plug-ins.
#include "devices/socket.h"
#include "devices/socketlib.h"
#include "objects/registry.h"
#include <cstring>

static void makeSocket(Object *o, ClassDef *) {
  SocketObject *s = (SocketObject *)o;
  s->engine = socket_engine_new(s);
}

static void destroySocket(Object *o, ClassDef *) {
  SocketObject *s = (SocketObject *)o;
  socket_engine_release(s->engine);
  s->engine = nullptr;
  str_assign(&s->address, nullptr);
}

void socket_classes_attach() {
  ClassDef *cls = registry_find("Socket");
  cls->constructor = makeSocket;
  cls->destructor = destroySocket;
}

static SocketEngine *engineOf(SocketObject *s) { return s ? s->engine : nullptr; }

/* ---- entry points ---- */

void SocketConnect(SocketObject *s) {
  if (SocketEngine *e = engineOf(s)) e->ops->connect(e, s->address, s->port & 0xFFFF);
}

void socketDirectConnect(SocketObject *s, RString *address, int32_t port) {
  if (SocketEngine *e = engineOf(s)) e->ops->connect(e, address, port & 0xFFFF);
}

void SocketListen(SocketObject *s) {
  if (SocketEngine *e = engineOf(s)) e->ops->listen(e, s->port & 0xFFFF);
}

void SocketWrite(SocketObject *s, RString *text) {
  if (SocketEngine *e = engineOf(s)) e->ops->write(e, text);
}

RString *socketRead(SocketObject *s, int32_t count) {
  SocketEngine *e = engineOf(s);
  return e ? e->ops->read(e, count) : nullptr;
}

RString *SocketReadAll(SocketObject *s) {
  SocketEngine *e = engineOf(s);
  return e ? e->ops->readAll(e) : nullptr;
}

RString *socketLookahead(SocketObject *s, int32_t) {
  SocketEngine *e = engineOf(s);
  return e ? e->ops->lookahead(e) : nullptr;
}

void socketPoll(SocketObject *s) {
  if (SocketEngine *e = engineOf(s)) e->ops->poll(e);
}

// The control gets a fresh idle engine; what was received and not yet read
// goes with it, so that Close loses none of it.
void socketClose(SocketObject *s) {
  SocketEngine *old = engineOf(s);
  if (!old) return;
  SocketEngine *fresh = socket_engine_new(s);
  queue_move(&fresh->input, &old->input);
  s->engine = fresh;
  socket_engine_release(old);
}

int32_t socketLastErrorCode(SocketObject *s, int32_t) {
  SocketEngine *e = engineOf(s);
  return e ? e->error : 0;
}

int32_t socketGetEvents(SocketObject *s) {
  SocketEngine *e = engineOf(s);
  return e ? e->ops->takeEvents(e) : 0;
}

int32_t socketPPPStatus(SocketObject *s, int32_t) {
  SocketEngine *e = engineOf(s);
  return e ? e->ops->state(e) : 0;
}

void socketPPPConnect(SocketObject *s) {
  if (SocketEngine *e = engineOf(s)) e->ops->dialUp(e);
}

void socketPPPDisconnect(SocketObject *s) {
  if (SocketEngine *e = engineOf(s)) e->ops->hangUp(e);
}

// The first IPv4 address of this machine's host name; 127.0.0.1 when the
// name does not resolve; nil when the address is 0.
RString *socketLocalAddressGetter(SocketObject *, int32_t) {
  if (!socket_library_ready()) return nullptr;
  char name[256];
  in_addr a;
  a.s_addr = net_order32(INADDR_LOOPBACK);
  hostent *h =
      gSocketLib.gethostname(name, sizeof name) == 0 ? gSocketLib.gethostbyname(name) : nullptr;
  if (h && h->h_addrtype == AF_INET && h->h_addr_list && h->h_addr_list[0])
    memcpy(&a, h->h_addr_list[0], sizeof a);
  if (a.s_addr == 0) return nullptr;
  const uint8_t *b = (const uint8_t *)&a;
  char text[16];
  wsprintfA(text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return str_from(text);
}

RString *socketRemoteAddressGetter(SocketObject *s, int32_t) {
  SocketEngine *e = engineOf(s);
  return e ? e->ops->remoteAddress(e) : nullptr;
}

/* ---- plug-in helpers ---- */

// A plug-in that works with sockets says so before it makes any: the socket
// library is loaded then. 1 when it is available.
int32_t PluginMarkSocketUsage() { return socket_library_ready() ? 1 : 0; }

RString *pluginSocketRead(SocketObject *s, int32_t count) { return socketRead(s, count); }
RString *pluginSocketReadAll(SocketObject *s) { return SocketReadAll(s); }
RString *pluginSocketLookahead(SocketObject *s) { return socketLookahead(s, 0); }
