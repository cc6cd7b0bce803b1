// The serial tests' bed: the pseudo-terminal pair of the fixture (COM2 on one
// end, the peer end opened here as a plain port), a Serial class with a
// DataAvailable handler, and pumping the loop's serial hook.
#pragma once
#include "describe.h"
#include "serialbed.h"
#include "recorder.h"
#include "devices/serial.h"
#include "lifecycle/application.h"
#include <cstdlib>
#include <functional>
#include <string>

namespace serialtest {

inline int gArrivals;                               // DataAvailable raised
inline std::function<void(SerialObject *)> gOnData; // what the handler does besides counting

inline void onData(Object *o) {
  gArrivals++;
  if (gOnData) gOnData((SerialObject *)o);
}

// The far end of the pair, opened directly: reads wait up to a deadline.
class Peer {
public:
  HANDLE h = INVALID_HANDLE_VALUE;
  bool open(const char *end = "peer") {
    h = CreateFileA(serial_bed_path(end).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    COMMTIMEOUTS t = {};
    t.ReadTotalTimeoutConstant = 3000;
    t.WriteTotalTimeoutConstant = 3000;
    SetCommTimeouts(h, &t);
    settle();
    return true;
  }
  ~Peer() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  bool send(const std::string &bytes) { return write(bytes) == bytes.size(); }
  // How many of the bytes went, waiting a few seconds at most.
  size_t write(const std::string &bytes) {
    DWORD done = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    return done;
  }
  // Up to n bytes, waiting at most a few seconds for them.
  std::string receive(size_t n) {
    std::string out;
    char buffer[4096];
    while (out.size() < n) {
      DWORD want = (DWORD)std::min(n - out.size(), sizeof buffer), got = 0;
      if (!ReadFile(h, buffer, want, &got, nullptr) || got == 0) break;
      out.append(buffer, got);
    }
    return out;
  }
  // Everything still on its way, taken away until the line stays quiet.
  size_t settle() {
    size_t total = 0;
    for (size_t n = drain(); n; n = drain()) {
      total += n;
      Sleep(200);
    }
    return total;
  }
  // Whatever is waiting, taken away without waiting.
  size_t drain() {
    COMMTIMEOUTS t = {}, old = {};
    GetCommTimeouts(h, &old);
    t.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(h, &t);
    size_t total = 0;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got) total += got;
    SetCommTimeouts(h, &old);
    return total;
  }
};

// Runs the loop's serial hook until `done` answers true or ms have passed.
inline bool tickUntil(const std::function<bool()> &done, DWORD ms = 5000) {
  DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < ms) {
    gLoopHooks.tickSerialPorts();
    Sleep(5);
  }
  return done();
}

class SerialTest : public RuntimeTest {
protected:
  ClassDef serial;

  void SetUp() override {
    RuntimeTest::SetUp();
    describe::set_up_windows();
    describe::derive(&serial, "TestSerial", registry_find("Serial"), 64);
    describe::addHandler(&serial, "DataAvailable", (void *)onData);
    gArrivals = 0;
    gOnData = nullptr;
  }
  void TearDown() override {
    gOnData = nullptr;
    EXPECT_EQ(serial_open_count(), 0) << "a test left a port open";
    class_teardown(&serial);
    RuntimeTest::TearDown();
  }
  // A Serial on COMn (Port n - 1) with the given indexes, not opened.
  SerialObject *make(int32_t com = 2, uint16_t baud = 13, uint16_t bits = 3, uint16_t parity = 0,
                     uint16_t stop = 0) {
    SerialObject *s = (SerialObject *)CreateInstance(&serial);
    s->port = com - 1;
    s->baud = baud, s->bits = bits, s->parity = parity, s->stop = stop;
    return s;
  }
  static void release(SerialObject *s) { RuntimeUnlockObject(&s->header); }
  // SerialPort = p, as the property's setter does it.
  static void setNamed(SerialObject *s, SerialPortObject *p) {
    RuntimeLockObject(&p->header);
    if (s->named) RuntimeUnlockObject(&s->named->header);
    s->named = p;
  }
  static std::string text(RString *s) {
    std::string out(str_cview(s), str_len(s));
    RuntimeUnlockString(s);
    return out;
  }
};

} // namespace serialtest
