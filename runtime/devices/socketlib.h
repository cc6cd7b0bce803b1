// The platform's socket library, loaded by name the first time a socket
// needs it: the routines the socket engine calls, reached through this table
// only, and the hidden window class of the engines.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct SocketLibrary {
  HMODULE module; // nil until loaded
  int(WSAAPI *startup)(WORD version, LPWSADATA data);
  SOCKET(WSAAPI *socket)(int family, int type, int protocol);
  int(WSAAPI *closesocket)(SOCKET s);
  unsigned long(WSAAPI *inet_addr)(const char *text);
  int(WSAAPI *connect)(SOCKET s, const sockaddr *to, int length);
  int(WSAAPI *bind)(SOCKET s, const sockaddr *at, int length);
  int(WSAAPI *send)(SOCKET s, const char *bytes, int n, int flags);
  int(WSAAPI *recv)(SOCKET s, char *bytes, int n, int flags);
  int(WSAAPI *ioctlsocket)(SOCKET s, long command, u_long *argument);
  hostent *(WSAAPI *gethostbyname)(const char *name);
  int(WSAAPI *asyncSelect)(SOCKET s, HWND window, u_int message, long events);
  int(WSAAPI *lastError)(void);
  SOCKET(WSAAPI *accept)(SOCKET s, sockaddr *from, int *length);
  int(WSAAPI *listen)(SOCKET s, int backlog);
  int(WSAAPI *getsockname)(SOCKET s, sockaddr *at, int *length);
  int(WSAAPI *gethostname)(char *name, int length);
  int(WSAAPI *setsockopt)(SOCKET s, int level, int option, const char *value, int length);
};

extern SocketLibrary gSocketLib;

// Network byte order (big-endian) on this little-endian machine, without
// reaching into the library before it is loaded.
inline u_short net_order16(u_short v) { return __builtin_bswap16(v); }
inline u_long net_order32(u_long v) { return __builtin_bswap32(v); }

// The window class every engine's hidden window belongs to.
constexpr const char *kSocketWindowClass = "QXSocketClass";

// Loads the library, starts it for version 1.1 and registers the hidden
// window class with `procedure`; true once that has succeeded. The library
// then stays loaded for the rest of the process, so no engine ever holds a
// socket of an unloaded library.
bool socketlib_load(WNDPROC procedure);
