// SerialPort descriptions: which of COM1 to COM9 exist, how many, and the
// description of the one at an index among those that exist.
#include "devices/serial.h"
#include "objects/registry.h"

static ClassDef *portClass;

bool serial_port_exists(int32_t number) {
  char name[8];
  if (!serial_com_name(number, name)) return false;
  HANDLE h =
      CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

int32_t getSerialPortCount() {
  int32_t n = 0;
  for (int32_t number = 1; number <= kSerialLastPort; number++) n += serial_port_exists(number);
  return n;
}

static SerialPortObject *describe(int32_t number) {
  char name[8];
  serial_com_name(number, name);
  SerialPortObject *p = (SerialPortObject *)CreateInstance(portClass);
  p->name = str_from(name);
  str_assign(&p->inDriver, p->name);
  str_assign(&p->outDriver, p->name);
  p->inSpeed = p->outSpeed = kSerialMaximumSpeed;
  return p;
}

// The index counts the ports that exist, so that every one of them has one.
SerialPortObject *getSerialPort(int32_t index) {
  if (index < 0) return nullptr;
  for (int32_t number = 1; number <= kSerialLastPort; number++)
    if (serial_port_exists(number) && index-- == 0) return describe(number);
  return nullptr;
}

static void destroyPort(Object *o, ClassDef *) {
  SerialPortObject *p = (SerialPortObject *)o;
  str_assign(&p->name, nullptr);
  str_assign(&p->inDriver, nullptr);
  str_assign(&p->outDriver, nullptr);
}

void serialport_class_attach() {
  portClass = registry_find("SerialPort");
  portClass->destructor = destroyPort;
}
