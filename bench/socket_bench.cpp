// TCP throughput on loopback: a sending thread of this program serves the
// same bytes to two receivers in turn, the Socket class (DataAvailable and
// ReadAll, through the event loop) and socket_plain.exe (blocking receives
// with the socket library directly), and times each connection from accept
// to the receiver's close. The megabytes each receiver takes are split into
// rounds that alternate between the two, so that both meet the same load
// from other programs on the machine. Prints both rates and their ratio.
//   socket_bench.exe [MB, default 100] [rounds, default 4]
#include "devices/socket.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "startup/loader.h"
#include "text/string.h"
#include <cstdio>
#include <cstdlib>
#include <string>

#include "clock.h"

static int64_t gBytes;   // each receiver takes this many
static SOCKET gListener; // the sender's listening socket
static int gPort;
static double gSeconds; // the last connection's time, set by the sender
static HANDLE gSent;    // signalled when a connection has been served

// Serves connections one after another: sends gBytes, then waits for the
// receiver to close.
static DWORD WINAPI sender(void *) {
  static char block[1 << 16];
  for (int i = 0; i < (int)sizeof block; i++) block[i] = (char)(i % 251);
  for (;;) {
    SOCKET c = accept(gListener, nullptr, nullptr);
    if (c == INVALID_SOCKET) return 0;
    double start = seconds_now();
    for (int64_t left = gBytes; left > 0;) {
      int n = send(c, block, left < (int64_t)sizeof block ? (int)left : (int)sizeof block, 0);
      if (n <= 0) break;
      left -= n;
    }
    while (recv(c, block, sizeof block, 0) > 0) {
    }
    gSeconds = seconds_now() - start;
    closesocket(c);
    SetEvent(gSent);
  }
}

/* ---- the Socket class as the receiver ---- */

static int64_t gReceived;

static void onData(Object *o) {
  SocketObject *s = (SocketObject *)o;
  RString *chunk = SocketReadAll(s);
  gReceived += str_len(chunk);
  RuntimeUnlockString(chunk);
  if (gReceived >= gBytes) socketClose(s);
}

static double throughSocketClass(ClassDef *cls) {
  gReceived = 0;
  SocketObject *s = (SocketObject *)CreateInstance(cls);
  RString *address = str_from("127.0.0.1");
  socketDirectConnect(s, address, gPort);
  RuntimeUnlockString(address);
  MSG m;
  while (WaitForSingleObject(gSent, 0) != WAIT_OBJECT_0) {
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
    else
      MsgWaitForMultipleObjects(1, &gSent, FALSE, 100, QS_ALLINPUT);
  }
  RuntimeUnlockObject(&s->header);
  if (gReceived != gBytes) printf("the Socket class received %lld bytes\n", (long long)gReceived);
  return gSeconds;
}

/* ---- the plain program as the receiver ---- */

static double throughPlainProgram() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string path = exe;
  path = path.substr(0, path.find_last_of("\\/") + 1) + "socket_plain.exe";
  std::string line = "\"" + path + "\" " + std::to_string(gPort) + " " + std::to_string(gBytes);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    printf("cannot start %s\n", path.c_str());
    exit(1);
  }
  WaitForSingleObject(gSent, INFINITE);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (code != 0) printf("socket_plain.exe did not receive everything\n");
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return gSeconds;
}

int main(int argc, char **argv) {
  runtime_core_init();
  runtime_classes_init();
  int64_t megabytes = argc > 1 ? atoi(argv[1]) : 100;
  int rounds = argc > 2 && atoi(argv[2]) > 0 ? atoi(argv[2]) : 4;
  gBytes = (megabytes << 20) / rounds;
  WSADATA data;
  WSAStartup(0x0101, &data);
  gListener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(gListener, (sockaddr *)&at, sizeof at);
  listen(gListener, 4);
  int length = sizeof at;
  getsockname(gListener, (sockaddr *)&at, &length);
  gPort = ntohs(at.sin_port);
  gSent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CreateThread(nullptr, 0, sender, nullptr, 0, nullptr);

  static ClassDef cls;
  class_setup(&cls);
  cls.name = str_from("BenchSocket");
  cls.superclass = registry_find("Socket");
  cls.instanceSize = sizeof(SocketObject);
  RString *event = str_from("DataAvailable");
  class_add_handler(&cls, event, 0, (void *)onData);
  RuntimeUnlockString(event);

  double viaClass = 0, plain = 0;
  for (int r = 0; r < rounds; r++) {
    viaClass += throughSocketClass(&cls);
    plain += throughPlainProgram();
  }
  double mb = (double)gBytes * rounds / (1 << 20);
  printf("%.0f MB through loopback for each, in %d rounds\n", mb, rounds);
  printf("Socket class        %8.1f MB/s\n", mb / viaClass);
  printf("socket library      %8.1f MB/s\n", mb / plain);
  printf("ratio (class/plain) %8.2f (target >= 0.80)\n", plain / viaClass);
  closesocket(gListener);
  return 0;
}
