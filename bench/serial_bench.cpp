// Serial figures at 115,200 baud through the test bed's pseudo-terminal pair
// (COM2 and its peer end; run by bench/serial_bench.sh), against the line
// rate of 11,520 bytes a second (ten bits a byte). A pty carries bytes as fast
// as both ends move them and never paces them at the line rate, so:
//   - paced: the peer sends at the line rate and the Serial, ticked as the
//     event loop ticks it (every loop iteration, a sixtieth of a second apart
//     when idle), must deliver at the same rate: the ratio says whether the
//     class keeps up with a real line at that speed (1.0 is all of it);
//   - unpaced: how much faster than the line the class can move bytes each
//     way, its headroom (here the pty and Wine are the limit, not a line).
// Optional argument: seconds of line time for the paced run (default 5).
#include "devices/serial.h"
#include "lifecycle/application.h"
#include "objects/classdef.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "startup/loader.h"
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "clock.h"
#include "serialbed.h"

static constexpr int32_t kBaud = 115200;
static constexpr int32_t kLineRate = kBaud / 10; // bytes a second, 8N1
static constexpr int32_t kSlices = 50;           // the paced peer sends this many times a second
static constexpr int32_t kTickMs = 17;           // the idle loop's pace: one tick of the tick clock
static constexpr int32_t kUnpacedBytes = 2 << 20;

static int64_t gReceived;

static void onData(Object *o) {
  RString *s = serialReadAll((SerialObject *)o);
  gReceived += str_len(s);
  RuntimeUnlockString(s);
}

static HANDLE openPeer() {
  HANDLE h = CreateFileA(serial_bed_path("peer").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  COMMTIMEOUTS t = {};
  t.ReadTotalTimeoutConstant = 5000; /* writes wait as long as they must */
  if (h != INVALID_HANDLE_VALUE) SetCommTimeouts(h, &t);
  return h;
}

// The Serial on COM2, opened by the class, then set to 115,200 baud through its
// handle: the class's speed table ends at 57,600.
static SerialObject *openSerial(ClassDef *cls) {
  SerialObject *s = (SerialObject *)CreateInstance(cls);
  s->port = 1, s->baud = 13, s->bits = 3;
  if (!serialOpen(s)) return nullptr;
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  GetCommState(s->handle, &dcb);
  dcb.BaudRate = kBaud;
  COMMTIMEOUTS t = serial_timeouts(kBaud);
  SetCommState(s->handle, &dcb);
  SetCommTimeouts(s->handle, &t);
  return s;
}

// Ticks as the idle loop does until `bytes` have arrived or the line has
// been quiet for five seconds; the seconds from `start` to the last arrival.
static double receiveAll(int64_t bytes, double start) {
  double last = seconds_now();
  while (gReceived < bytes && seconds_now() - last < 5) {
    int64_t before = gReceived;
    gLoopHooks.tickSerialPorts();
    if (gReceived != before) last = seconds_now();
    MsgWaitForMultipleObjectsEx(0, nullptr, kTickMs, QS_ALLINPUT, 0);
  }
  return last - start;
}

static void paced(HANDLE peer, int seconds) {
  int64_t total = (int64_t)kLineRate * seconds, slice = kLineRate / kSlices;
  std::string bytes(slice, 'p');
  gReceived = 0;
  double start = seconds_now();
  std::thread sender([&] {
    for (int64_t sent = 0; sent < total; sent += slice) {
      double due = start + (double)sent / kLineRate; /* on the line's schedule, not behind it */
      while (seconds_now() < due) Sleep(1);
      DWORD done = 0, n = (DWORD)(total - sent < slice ? total - sent : slice);
      WriteFile(peer, bytes.data(), n, &done, nullptr);
    }
  });
  double took = receiveAll(total, start);
  sender.join();
  double rate = gReceived / took;
  printf("receive paced at the line rate: %lld of %lld bytes in %.2f s = %.0f B/s = %.3fx the "
         "line rate\n",
         (long long)gReceived, (long long)total, took, rate, rate / kLineRate);
}

static void unpacedReceive(HANDLE peer) {
  std::string bytes(kUnpacedBytes, 'u');
  gReceived = 0;
  double start = seconds_now();
  std::thread sender([&] {
    DWORD done = 0;
    WriteFile(peer, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
  });
  double took = receiveAll(kUnpacedBytes, start);
  sender.join();
  double rate = gReceived / took;
  printf("receive unpaced: %lld bytes in %.2f s = %.0f B/s = %.1fx the line rate\n",
         (long long)gReceived, took, rate, rate / kLineRate);
}

static void unpacedTransmit(SerialObject *s, HANDLE peer) {
  std::string bytes(kUnpacedBytes, 't');
  int64_t heard = 0;
  std::thread reader([&] {
    static char buffer[65536];
    DWORD got = 0;
    while (heard < kUnpacedBytes && ReadFile(peer, buffer, sizeof buffer, &got, nullptr) && got)
      heard += got;
  });
  RString *text = str_make(bytes.data(), (int32_t)bytes.size());
  double start = seconds_now();
  int32_t written = serialWrite(s, text);
  reader.join();
  double took = seconds_now() - start, rate = heard / took;
  RuntimeUnlockString(text);
  printf("transmit unpaced: Write of %d bytes, %lld heard in %.2f s = %.0f B/s = %.1fx the line "
         "rate\n",
         written, (long long)heard, took, rate, rate / kLineRate);
}

int main(int argc, char **argv) {
  runtime_core_init();
  runtime_classes_init();
  int seconds = argc > 1 ? atoi(argv[1]) : 5;
  ClassDef cls;
  class_setup(&cls);
  cls.name = str_from("BenchSerial");
  cls.superclass = registry_find("Serial");
  cls.instanceSize = sizeof(SerialObject);
  RString *event = str_from("DataAvailable");
  class_add_handler(&cls, event, 0, (void *)onData);
  RuntimeUnlockString(event);
  HANDLE peer = openPeer();
  SerialObject *s = openSerial(&cls);
  if (peer == INVALID_HANDLE_VALUE || !s) {
    printf("the test bed is missing: run bench/serial_bench.sh\n");
    return 1;
  }
  printf("serial at %d baud through a pseudo-terminal pair; line rate %d B/s\n", kBaud, kLineRate);
  paced(peer, seconds);
  unpacedReceive(peer);
  unpacedTransmit(s, peer);
  serialClose(s);
  RuntimeUnlockObject(&s->header);
  CloseHandle(peer);
  return 0;
}
