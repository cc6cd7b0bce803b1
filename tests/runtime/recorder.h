// A platform table for tests: message boxes and diagnostics are recorded (and
// echoed to standard error, where death tests read them), message boxes answer
// with a chosen button, and the heap can be told to refuse.
#pragma once
#include "base/platform.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

struct RecordedBox {
  std::string text, caption;
  UINT type;
};

struct Recorder {
  std::vector<RecordedBox> boxes;
  std::vector<std::string> diagnostics;
  int answer = IDOK;       // what every message box answers
  bool refuseHeap = false; // heap requests fail while set
};

extern Recorder gRecorder;

// Installs the recording platform for each test and restores the real one.
class RuntimeTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
};
