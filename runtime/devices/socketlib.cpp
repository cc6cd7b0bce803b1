// Loading the socket library by name: every routine the engine uses is
// looked up once, the library is started for version 1.1, and the class of
// the engines' hidden windows is registered.
#include "devices/socketlib.h"
#include "base/platform.h"

SocketLibrary gSocketLib;

enum : WORD { kVersionRequested = 0x0101 }; // 1.1

template <class T> static bool find(HMODULE m, T *routine, const char *name) {
  *routine = (T)(void *)GetProcAddress(m, name);
  return *routine != nullptr;
}

static bool lookUp(HMODULE m, SocketLibrary *lib) {
  return find(m, &lib->startup, "WSAStartup") && find(m, &lib->socket, "socket") &&
         find(m, &lib->closesocket, "closesocket") && find(m, &lib->inet_addr, "inet_addr") &&
         find(m, &lib->connect, "connect") && find(m, &lib->bind, "bind") &&
         find(m, &lib->send, "send") && find(m, &lib->recv, "recv") &&
         find(m, &lib->ioctlsocket, "ioctlsocket") &&
         find(m, &lib->gethostbyname, "gethostbyname") &&
         find(m, &lib->asyncSelect, "WSAAsyncSelect") &&
         find(m, &lib->lastError, "WSAGetLastError") && find(m, &lib->accept, "accept") &&
         find(m, &lib->listen, "listen") && find(m, &lib->getsockname, "getsockname") &&
         find(m, &lib->gethostname, "gethostname") && find(m, &lib->setsockopt, "setsockopt");
}

bool socketlib_load(WNDPROC procedure) {
  if (gSocketLib.module) return true;
  HMODULE m = LoadLibraryA("ws2_32.dll");
  if (!m) return false;
  SocketLibrary lib = {};
  WSADATA data;
  if (!lookUp(m, &lib) || lib.startup(kVersionRequested, &data) != 0) {
    FreeLibrary(m);
    return false;
  }
  WNDCLASSA c = {};
  c.lpfnWndProc = procedure;
  c.cbWndExtra = sizeof(void *); /* word 0: the engine */
  c.hInstance = gInstance ? gInstance : GetModuleHandleA(nullptr);
  c.lpszClassName = kSocketWindowClass;
  RegisterClassA(&c);
  lib.module = m;
  gSocketLib = lib;
  return true;
}
