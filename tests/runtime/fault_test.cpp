// The assertion dialog, the out-of-memory ending and may-fail requests.
#include "base/pool.h"
#include "recorder.h"
#include "base/fault.h"

using FaultTest = RuntimeTest;

static std::string reportText(const char *lastLine) {
  return std::string(
             "Failed Assertion: 4\nPress OK to Continue\nPress Cancel to Quit.\n\n"
             "Please report what caused this error\nalong with the information below.\n\n") +
         lastLine;
}

TEST_F(FaultTest, AssertionShowsTheReportAndOkContinues) {
  fault_report("objects", 471);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_EQ(gRecorder.boxes[0].text, reportText(" objects : 471"));
  EXPECT_EQ(gRecorder.boxes[0].caption, "");
  EXPECT_EQ(gRecorder.boxes[0].type, UINT(MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2));
}

TEST_F(FaultTest, AssertionNumberIsShownAsSigned16Bits) {
  struct {
    int number;
    const char *shown;
  } cases[] = {{4, "Failed Assertion: 4\n"},
               {0x10004, "Failed Assertion: 4\n"},
               {0xFFFF, "Failed Assertion: -1\n"},
               {2, "Failed Assertion: 2\n"}};
  for (auto &c : cases) {
    gRecorder.boxes.clear();
    fault_assert(kFaultUnnamed, c.number, nullptr, 0);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text.rfind(c.shown, 0), 0u) << gRecorder.boxes[0].text;
  }
}

TEST_F(FaultTest, CancelEndsTheProcessWithExitCodeZero) {
  EXPECT_EXIT(
      {
        gRecorder.answer = IDCANCEL;
        fault_report("string", 90);
        fprintf(stderr, "[continued]\n");
        ExitProcess(7);
      },
      testing::ExitedWithCode(0), "string : 90\n\\[exit\\] 0");
}

TEST_F(FaultTest, RefusedLargeBlockReportsUtility708AndEndsEvenAfterOk) {
  EXPECT_EXIT(
      {
        gRecorder.refuseHeap = true;
        pool_alloc(253);
        ExitProcess(7);
      },
      testing::ExitedWithCode(0),
      "\\[diagnostic\\] This application has run out of memory and must quit now\\.\n"
      "\\[message box\\] Failed Assertion: 4\\|.* utility : 708\n\\[exit\\] 0");
}

TEST_F(FaultTest, RefusedChunkEndsTheProcessWithoutAssertion) {
  EXPECT_EXIT(
      {
        gRecorder.refuseHeap = true;
        for (int i = 0; i < kPoolChunkBytes / 252 + 1; i++) pool_alloc(252); /* outgrow the chunk */
        ExitProcess(7);
      },
      testing::ExitedWithCode(0), "run out of memory and must quit now.\n\\[exit\\] 0");
}

TEST_F(FaultTest, MayFailRequestsReceiveNilAndNoDialog) {
  gRecorder.refuseHeap = true;
  EXPECT_EQ(pool_alloc(4096, true), nullptr);
  std::vector<void *> taken;
  void *block;
  while (taken.size() < 10000 && (block = pool_alloc(248, true))) taken.push_back(block);
  EXPECT_LT(taken.size(), 10000u); /* free blocks and the chunk ran out; no new chunk */
  for (void *block : taken) pool_free(block, 248);
  EXPECT_TRUE(gRecorder.boxes.empty());
  EXPECT_TRUE(gRecorder.diagnostics.empty());
}
