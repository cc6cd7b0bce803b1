// Tally, the values demonstration (tally.exe), used as a person would: typing
// a text and counting its words, then asking for the calendar of a month.
// Screenshots of both results are kept.
#include "e2e.h"

namespace {

using e2e::DriverRun;

class Tally : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(TALLY_EXE, TALLY_SOURCES "/Tally.bas");
    ASSERT_EQ(id.size(), 8u);
  }
  std::string textOf(const DriverRun &run, const std::string &field, size_t n) {
    return e2e::textOf(run, id[field], n);
  }
};

TEST_F(Tally, CountsWordsMostFrequentFirstAndLaysOutAMonth) {
  std::string script =
      "start tally.exe\nwait-window QXWindow \"Tally\"\n" +
      enter("InputField", "The cat and the dog, and THE bird.") + "click " + id["CountButton"] +
      "\nwait-text " + id["SummaryText"] + " \"8 words, 5 different\"\n" + read("ResultField") +
      "screenshot words\n" + enter("YearField", "2004") + enter("MonthField", "2") + "click " +
      id["CalendarButton"] + "\nwait-text " + id["SummaryText"] + " \"29 days\"\n" +
      read("ResultField") + "screenshot calendar\nclose\nwait-exit\n";
  DriverRun run = drive(script);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(textOf(run, "ResultField", 0), "    3  the\r\n"
                                           "    2  and\r\n"
                                           "    1  bird\r\n"
                                           "    1  cat\r\n"
                                           "    1  dog\r\n");
  /* 1 February 2004 is a Sunday; 2004 is a leap year */
  EXPECT_EQ(textOf(run, "ResultField", 1), "2004-02\r\n"
                                           " Su Mo Tu We Th Fr Sa\r\n"
                                           "  1  2  3  4  5  6  7\r\n"
                                           "  8  9 10 11 12 13 14\r\n"
                                           " 15 16 17 18 19 20 21\r\n"
                                           " 22 23 24 25 26 27 28\r\n"
                                           " 29                  \r\n");
  EXPECT_TRUE(run.has("exit 0")) << run.output();
  EXPECT_EQ(run.screenshots.size(), 2u);
}

} // namespace
