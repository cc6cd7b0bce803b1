// Date objects as compiled code sees them: the current moment at creation,
// field writes rolled over into valid dates, writes that name no moment,
// seconds since 1904, week numbers, the locale texts read back by parseDate,
// and the tick clocks.
#include "recorder.h"
#include "base/pool.h"
#include "lifecycle/application.h"
#include "objects/date.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "texts.h"
#include <cmath>
#include <cstring>

namespace {

enum { Year, Month, Day, Hour, Minute, Second, DayOfWeek, DayOfYear, WeekOfYear };

struct Ymdhms {
  int y, mo, d, h, mi, s;
  bool operator==(const Ymdhms &) const = default;
};

std::ostream &operator<<(std::ostream &o, const Ymdhms &t) {
  return o << t.y << "-" << t.mo << "-" << t.d << " " << t.h << ":" << t.mi << ":" << t.s;
}

class DateTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    poolAtStart = pool_used();
    date = CreateInstance(registry_find("Date"));
  }
  void TearDown() override {
    RuntimeUnlockObject(date);
    EXPECT_EQ(pool_used(), poolAtStart) << "a date or text was not released";
    RuntimeTest::TearDown();
  }
  void write(const Ymdhms &t) {
    int v[] = {t.y, t.mo, t.d, t.h, t.mi, t.s};
    for (int f = Year; f <= Second; f++) dateFieldSetter(date, f, v[f]);
  }
  Ymdhms read() {
    Ymdhms t;
    int *v[] = {&t.y, &t.mo, &t.d, &t.h, &t.mi, &t.s};
    for (int f = Year; f <= Second; f++) *v[f] = dateFieldGetter(date, f);
    return t;
  }
  std::string text(DateText which) { return take(dateStringGetter(date, (int32_t)which)); }

  int32_t poolAtStart;
  Object *date;
};

TEST_F(DateTest, InstanceHoldsTheLayoutCompiledCodeAllocates) {
  EXPECT_EQ(registry_find("Date")->instanceSize, int32_t(sizeof(DateObject)));
}

TEST_F(DateTest, NewDateHoldsTheMomentOfItsCreation) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_TRUE(((DateObject *)date)->valid);
  int second = dateFieldGetter(date, Second);
  EXPECT_NEAR(dateFieldGetter(date, Year), now.wYear, 1);
  Sleep(1100);
  EXPECT_EQ(dateFieldGetter(date, Second), second) << "a read does not refresh the moment";
}

TEST_F(DateTest, FieldWritesRollOverIntoValidDates) {
  struct Case {
    Ymdhms written, read;
  } cases[] = {
      {{2003, 2, 29, 12, 0, 0}, {2003, 3, 1, 12, 0, 0}},
      {{2004, 3, 0, 12, 0, 0}, {2004, 2, 29, 12, 0, 0}},
      {{2003, 14, 1, 0, 0, 0}, {2004, 2, 1, 0, 0, 0}},
      {{2003, -1, 1, 0, 0, 0}, {2002, 11, 1, 0, 0, 0}},
      {{2003, 13, 1, 0, 0, 0}, {2004, 1, 1, 0, 0, 0}},
      {{2003, 0, 1, 0, 0, 0}, {2002, 12, 1, 0, 0, 0}},
      {{2003, 2, 31, 0, 0, 0}, {2003, 3, 3, 0, 0, 0}},
      {{2003, 12, 31, 25, 0, 0}, {2004, 1, 1, 1, 0, 0}}, /* time fields roll through seconds */
      {{2004, 3, 1, 0, -1, 0}, {2004, 2, 29, 23, 59, 0}},
      {{2004, 3, 1, 0, 0, 3600}, {2004, 3, 1, 1, 0, 0}},
      {{2004, 3, 1, -1, 30, 0}, {2004, 2, 29, 23, 30, 0}},
  };
  for (const Case &c : cases) {
    write(c.written);
    EXPECT_EQ(read(), c.read) << c.written;
  }
}

TEST_F(DateTest, WritesNamingNoMomentKeepThePreviousOne) {
  const Ymdhms kept = {2003, 5, 6, 7, 8, 9};
  struct Case {
    int field, value;
  } cases[] = {{Year, 1600}, {Year, 30828}, {Year, -5}, {Year, 100000}};
  for (const Case &c : cases) {
    write(kept);
    read();
    dateFieldSetter(date, c.field, c.value);
    EXPECT_EQ(read(), kept) << "field " << c.field << " = " << c.value;
    EXPECT_EQ(dateFieldGetter(date, DayOfWeek), 3) << "a Tuesday, derived again";
  }
}

TEST_F(DateTest, TotalSecondsCountFromTheStartOf1904) {
  write({1904, 1, 1, 0, 0, 0});
  EXPECT_EQ(dateTotalSecondsGetter(date, 0), 0.0);
  dateTotalSecondsSetter(date, 0, 86400);
  EXPECT_EQ(read(), (Ymdhms{1904, 1, 2, 0, 0, 0}));
  write({2003, 2, 29, 0, 0, 0}); /* read while pending: the roll-over counts */
  double march1 = dateTotalSecondsGetter(date, 0);
  dateTotalSecondsSetter(date, 0, march1 + 90061.5);
  EXPECT_EQ(read(), (Ymdhms{2003, 3, 2, 1, 1, 1}));
  EXPECT_NEAR(dateTotalSecondsGetter(date, 0), march1 + 90061.5, 1e-3);
}

TEST_F(DateTest, TotalSecondsNamingNoMomentLeaveTheDateUnchanged) {
  const Ymdhms kept = {2010, 10, 10, 10, 10, 10};
  for (double x : {(double)NAN, (double)INFINITY, -(double)INFINITY, 1e300, -1e20, 1e16}) {
    write(kept);
    read();
    dateTotalSecondsSetter(date, 0, x);
    EXPECT_EQ(read(), kept) << x;
  }
}

TEST_F(DateTest, WeeksStartOnSundayFromTheWeekOfTheFirstOfJanuary) {
  struct Case {
    Ymdhms day;
    int dayOfWeek, dayOfYear, weekOfYear;
  } cases[] = {
      {{2000, 1, 1, 0, 0, 0}, 7, 1, 1}, /* 1 January 2000 is a Saturday */
      {{2000, 1, 2, 0, 0, 0}, 1, 2, 2},       {{2000, 1, 8, 23, 59, 59}, 7, 8, 2},
      {{2000, 12, 31, 12, 0, 0}, 1, 366, 54}, {{2006, 1, 1, 0, 0, 0}, 1, 1, 1}, /* a Sunday */
      {{2006, 1, 7, 0, 0, 0}, 7, 7, 1},
  };
  for (const Case &c : cases) {
    write(c.day);
    EXPECT_EQ(dateFieldGetter(date, DayOfWeek), c.dayOfWeek) << c.day;
    EXPECT_EQ(dateFieldGetter(date, DayOfYear), c.dayOfYear) << c.day;
    EXPECT_EQ(dateFieldGetter(date, WeekOfYear), c.weekOfYear) << c.day;
  }
  dateFieldSetter(date, DayOfWeek, 3);
  dateFieldSetter(date, DayOfYear, 100);
  EXPECT_EQ(read(), (Ymdhms{2006, 1, 7, 0, 0, 0}));
  EXPECT_EQ(dateFieldGetter(date, DayOfWeek), 7);
  EXPECT_EQ(dateFieldGetter(date, 9), 0) << "no such field";
}

TEST_F(DateTest, AbbreviatedPicturesShortenNamesOutsideQuotes) {
  struct Case {
    const char *picture, *shortened;
  } cases[] = {
      {"dddd, MMMM dd, yyyy", "ddd, MMM dd, yyyy"},
      {"ddd, MMM d, yyyy", "ddd, MMM d, yyyy"},
      {"dddddd MMMMM", "ddd MMM"},
      {"'dddd' dddd 'MMMM'", "'dddd' ddd 'MMMM'"},
      {"yyyy'\x94\x4e'M'\x8c\x8e'd'\x93\xfa'", "yyyy'\x94\x4e'M'\x8c\x8e'd'\x93\xfa'"},
  };
  for (const Case &c : cases) {
    char picture[80];
    strcpy(picture, c.picture);
    date_shorten_picture(picture);
    EXPECT_STREQ(picture, c.shortened) << c.picture;
  }
}

TEST_F(DateTest, TextsLeaveAPendingDateAsItWas) {
  dateFieldSetter(date, Year, 2003);
  dateFieldSetter(date, Month, 2);
  dateFieldSetter(date, Day, 29);
  std::string shortDate = text(DateText::Short);
  EXPECT_FALSE(shortDate.empty());
  EXPECT_TRUE(((DateObject *)date)->pending);
  EXPECT_EQ(((DateObject *)date)->fields.wDay, 29);
  EXPECT_EQ(take(dateStringGetter(date, 5)), "") << "no such text";
}

// Every text the date getters write reads back as the moment it shows.
TEST_F(DateTest, ParseDateReadsBackTheDateTexts) {
  const Ymdhms moments[] = {{2003, 3, 1, 0, 0, 0}, {2004, 12, 31, 0, 0, 0}, {1999, 7, 15, 0, 0, 0}};
  Object *back = CreateInstance(registry_find("Date"));
  for (const Ymdhms &m : moments) {
    write(m);
    for (DateText which : {DateText::Short, DateText::Long, DateText::Abbreviated}) {
      Text shown(text(which));
      ASSERT_TRUE(parseDate(shown, back)) << text(which);
      for (int f = Year; f <= Second; f++)
        EXPECT_EQ(dateFieldGetter(back, f), dateFieldGetter(date, f)) << text(which);
    }
  }
  write({2003, 3, 1, 13, 45, 30});
  Text withTime(text(DateText::Short) + " " + text(DateText::LongTime));
  ASSERT_TRUE(parseDate(withTime, back)) << text(DateText::Short) + " " + text(DateText::LongTime);
  for (int f = Year; f <= Second; f++)
    EXPECT_EQ(dateFieldGetter(back, f), dateFieldGetter(date, f)) << "field " << f;
  RuntimeUnlockObject(back);
}

TEST_F(DateTest, ParseDateRefusesOtherTextsAndKeepsTheDate) {
  write({2003, 3, 1, 0, 0, 0});
  std::string shortDate = text(DateText::Short), longDate = text(DateText::Long);
  const Ymdhms kept = {2010, 10, 10, 10, 10, 10};
  const std::string texts[] = {"",
                               "tomorrow",
                               shortDate + "x",
                               " " + shortDate,
                               shortDate.substr(0, shortDate.size() - 1),
                               longDate + " 25:00:00",
                               longDate.substr(1)};
  for (const std::string &t : texts) {
    write(kept);
    Text s(t);
    EXPECT_FALSE(parseDate(s, date)) << t;
    EXPECT_EQ(read(), kept) << t;
  }
  Text s(shortDate);
  EXPECT_FALSE(parseDate(s, nullptr));
}

TEST(TickTest, TicksAndMicrosecondsGoForward) {
  int32_t ticks = RuntimeTicks();
  double micros = RuntimeMicroseconds();
  Sleep(200);
  EXPECT_GE(RuntimeTicks() - ticks, 6); /* 12 ticks in 200 ms, with room for a coarse clock */
  EXPECT_GE(RuntimeMicroseconds() - micros, 100000.0);
  EXPECT_LT(RuntimeMicroseconds() - micros, 10000000.0);
}

} // namespace
