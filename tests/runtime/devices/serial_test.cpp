// Serial ports without traffic: the settings tables and framing, the port
// list of the test bed (COM1 missing, COM2 present), names and settings that
// cannot be opened, and the line settings that stty sees on the pty.
#include "serialtest.h"
#include <fstream>
#include <sstream>

namespace {

using namespace serialtest;

TEST(SerialTables, IndexesGiveTheirValuesAndUnknownOnesTheEdgeValue) {
  const std::pair<uint16_t, DWORD> rates[] = {{0, 300},    {8, 9600},   {12, 38400},
                                              {13, 57600}, {20, 57600}, {65535, 57600}};
  for (auto [i, rate] : rates) EXPECT_EQ(serial_baud_rate(i), rate) << i;
  EXPECT_EQ(serial_data_bits(0), 5);
  EXPECT_EQ(serial_data_bits(2), 7);
  EXPECT_EQ(serial_data_bits(9), 8);
  EXPECT_EQ(serial_parity(1), ODDPARITY);
  EXPECT_EQ(serial_parity(2), EVENPARITY);
  EXPECT_EQ(serial_parity(7), NOPARITY);
  EXPECT_EQ(serial_stop_bits(1), ONE5STOPBITS);
  EXPECT_EQ(serial_stop_bits(3), ONESTOPBIT);
  EXPECT_TRUE(serial_framing_valid(5, ONE5STOPBITS));
  EXPECT_FALSE(serial_framing_valid(8, ONE5STOPBITS));
  EXPECT_FALSE(serial_framing_valid(5, TWOSTOPBITS));
  EXPECT_TRUE(serial_framing_valid(8, TWOSTOPBITS));
}

class SerialPortTest : public SerialTest {};

TEST_F(SerialPortTest, TheListHoldsThePortsThatExist) {
  EXPECT_FALSE(serial_port_exists(1));
  EXPECT_TRUE(serial_port_exists(2));
  EXPECT_EQ(getSerialPortCount(), 1);
  SerialPortObject *p = getSerialPort(0);
  ASSERT_TRUE(p);
  EXPECT_STREQ(str_cview(p->name), "COM2");
  EXPECT_STREQ(str_cview(p->inDriver), "COM2");
  EXPECT_STREQ(str_cview(p->outDriver), "COM2");
  EXPECT_EQ(p->inSpeed, 115200);
  EXPECT_EQ(p->outSpeed, 115200);
  for (int32_t index : {1, 2, 9, 10, -1, INT32_MIN}) EXPECT_FALSE(getSerialPort(index)) << index;

  SerialObject *s = make(1); /* the description opens its own name, not Port */
  setNamed(s, p);
  EXPECT_TRUE(serialOpen(s));
  serialClose(s);
  release(s);
  RuntimeUnlockObject(&p->header);
}

TEST_F(SerialPortTest, MissingPortsAndUnknownNamesDoNotOpen) {
  for (int32_t com : {1, 0, -5, 3, 9, 10, 1000}) {
    SerialObject *s = make(com);
    EXPECT_FALSE(serialOpen(s)) << com;
    EXPECT_NE(s->lastError, 0) << com;
    EXPECT_EQ(s->handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(serialWrite(s, nullptr), 0) << com; /* nil text: the result of opening */
    RString *hello = str_from("hello");
    EXPECT_EQ(serialWrite(s, hello), 0) << com;
    RuntimeUnlockString(hello);
    EXPECT_FALSE(serialReadAll(s));
    release(s);
  }
  for (const char *name : {"", "COM99", "NOPE", "COM1", "COM2X"}) {
    SerialPortObject *p = (SerialPortObject *)CreateInstance(registry_find("SerialPort"));
    p->name = str_from(name);
    SerialObject *s = make(2);
    setNamed(s, p);
    EXPECT_FALSE(serialOpen(s)) << name;
    release(s);
    RuntimeUnlockObject(&p->header);
  }
}

TEST_F(SerialPortTest, ImpossibleFramingFailsTheOpenAndLeavesThePortFree) {
  SerialObject *s = make(2, 13, /*bits*/ 3, 0, /*stop*/ 1); /* 1.5 stop bits with 8 data bits */
  EXPECT_FALSE(serialOpen(s));
  EXPECT_EQ(s->lastError, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(s->handle, INVALID_HANDLE_VALUE);
  s->bits = 0; /* with 5 data bits it frames */
  EXPECT_TRUE(serialOpen(s));
  s->stop = 2; /* two stop bits cannot go with five: Reset keeps the port as it was */
  serialReset(s);
  EXPECT_EQ(s->lastError, ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(s->open);
  serialClose(s);
  release(s);
}

// What stty says of the COM2 end while the port is open with these settings.
std::string sttyNow() {
  DeleteFileA(serial_bed_path("stty.out").c_str());
  std::ofstream(serial_bed_path("stty.request").c_str()).close();
  for (int i = 0; i < 200 && GetFileAttributesA(serial_bed_path("stty.out").c_str()) ==
                                 INVALID_FILE_ATTRIBUTES;
       i++)
    Sleep(50);
  std::ifstream in(serial_bed_path("stty.out").c_str());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A setting of stty's listing, such as cs8 or -parenb, as a whole word.
bool hasWord(std::string text, const std::string &word) {
  for (char &c : text)
    if (c == '\n' || c == ';') c = ' ';
  return (" " + text + " ").find(" " + word + " ") != std::string::npos;
}

// A pseudo-terminal keeps the speed, the stop bits and the odd-parity flag it
// is given, but always frames eight bits without a parity bit: data bits and
// parity enabled are seen only on a real line.
TEST_F(SerialPortTest, SttySeesTheSettingsOnThePseudoTerminal) {
  struct {
    uint16_t baud, bits, parity, stop;
    std::vector<std::string> words;
  } cases[] = {
      {13, 3, 0, 0, {"speed 57600 baud;", "-parodd", "-cstopb"}},
      {20, 9, 7, 3, {"speed 57600 baud;", "-parodd", "-cstopb"}},
      {(uint16_t)1000000000, 3, 0, 0, {"speed 57600 baud;"}}, /* the 16-bit field keeps 0xCA00 */
      {0, 2, 2, 2, {"speed 300 baud;", "-parodd", "cstopb"}},
      {8, 3, 1, 0, {"speed 9600 baud;", "parodd", "-cstopb"}},
  };
  for (auto &c : cases) {
    SerialObject *s = make(2, c.baud, c.bits, c.parity, c.stop);
    ASSERT_TRUE(serialOpen(s)) << c.baud;
    std::string stty = sttyNow();
    for (const std::string &w : c.words)
      EXPECT_TRUE(w.find(' ') != std::string::npos ? stty.find(w) != std::string::npos
                                                   : hasWord(stty, w))
          << c.baud << " wants " << w << " in:\n"
          << stty;
    serialClose(s);
    release(s);
  }
}

} // namespace
