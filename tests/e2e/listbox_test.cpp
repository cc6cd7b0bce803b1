// Listbox, the list demonstration (listbox.exe), used as a person would:
// clicking rows and headings, turning the mouse wheel, pressing Home and End,
// ticking check boxes, typing a note into a cell, and opening a kit with the
// arrow keys. The expected rows come from the same generator the program
// uses; the screenshots are checked at chosen points.
#include "e2e.h"
#include <algorithm>
#include <cstdio>

namespace {

using e2e::DriverRun;
using e2e::screenPixel;

// The program's stock: item n (from 1) has a name and a quantity drawn from
// a fixed sequence; every 50th item is a kit.
struct Item {
  std::string name;
  int quantity;
};

std::vector<Item> stock() {
  static const char *const kColours[] = {"Red",   "Blue",  "Green", "Black",
                                         "White", "Steel", "Brass", "Oak"};
  static const char *const kThings[] = {"bolt",   "nut",   "washer", "hinge",  "bracket",
                                        "spring", "clamp", "hook",   "gasket", "pin"};
  std::vector<Item> items;
  int seed = 7;
  for (int n = 1; n <= 10000; n++) {
    seed = (seed * 1103 + 12345) % 65536;
    char name[40];
    if (n % 50 == 0)
      snprintf(name, sizeof name, "Kit %03d", n / 50);
    else
      snprintf(name, sizeof name, "%s %s %05d", kColours[n % 8], kThings[n / 8 % 10], n);
    items.push_back({name, seed % 1000});
  }
  return items;
}

std::string selected(const Item &item) {
  return "Selected: " + item.name + ", quantity " + std::to_string(item.quantity);
}

constexpr uint32_t kStripe = 0xEEF3FA, kWhite = 0xFFFFFF;

// Places in the list, counted from its top-left corner. Rows are 20 pixels
// high under a heading of 13 to 28 pixels, so y = 30 + 20 * n is inside row n
// of the view; the columns are 214, 96, 75 and 151 pixels wide.
constexpr int kRowY = 30, kRowHeight = 20;
constexpr int kItemX = 100, kQuantityX = 260, kCheckBoxX = 318, kNoteX = 460, kHeadingY = 5;

std::string at(int x, int row) {
  return std::to_string(x) + "," + std::to_string(kRowY + kRowHeight * row);
}

class ListboxDemo : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(LISTBOX_EXE, LISTBOX_SOURCES "/Listbox.bas");
  }
  std::string click(const std::string &where) { return "click " + id["List"] + " " + where + "\n"; }
  std::string waitText(const std::string &control, const std::string &text) {
    return "wait-text " + id[control] + " \"" + text + "\"\n";
  }
  // Starts the program and waits until its 10,000 items are listed (every
  // seventh starts checked).
  std::string start() {
    return "start listbox.exe\nwait-window QXWindow \"Stock\"\n" +
           waitText("CheckedText", "Checked: 1428");
  }
};

TEST_F(ListboxDemo, RowsAreSelectedByClickAndSortedByHeadingClicks) {
  std::vector<Item> items = stock();
  std::vector<Item> up = items;
  std::stable_sort(up.begin(), up.end(),
                   [](const Item &a, const Item &b) { return a.quantity < b.quantity; });
  std::vector<Item> down = up;
  std::stable_sort(down.begin(), down.end(),
                   [](const Item &a, const Item &b) { return a.quantity > b.quantity; });
  DriverRun run =
      drive(start() + read("List") + click(at(kItemX, 1)) +
            waitText("SelectionText", selected(items[1])) + "screenshot second-row\n" +
            click(std::to_string(kQuantityX) + "," + std::to_string(kHeadingY)) +
            waitText("StatusText", "Sorted by Quantity, ascending") + "key home\n" +
            waitText("SelectionText", selected(up[0])) + "screenshot ascending\n" +
            click(std::to_string(kQuantityX) + "," + std::to_string(kHeadingY)) +
            waitText("StatusText", "Sorted by Quantity, descending") + "key home\n" +
            waitText("SelectionText", selected(down[0])) + "wheel " + id["List"] + " -3\n" +
            click(at(kItemX, 0)) + waitText("SelectionText", selected(down[9])) +
            "screenshot wheeled\nkey end\n" + waitText("SelectionText", selected(down.back())) +
            "screenshot end\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(run.screenshots.size(), 4u);
  /* the first screenshot: the second row selected, the third striped */
  auto [left, top] = e2e::screenOrigin(run, id["List"]);
  ASSERT_GE(left, 0) << run.output();
  auto pixel = [&](int x, int row) {
    return screenPixel(run.screenshots[0], left + x, top + kRowY + kRowHeight * row);
  };
  EXPECT_EQ(pixel(kNoteX, 0), kWhite) << "an even row on the list's own ground";
  EXPECT_NE(pixel(kNoteX, 1), kWhite) << "the selected row is highlighted";
  EXPECT_NE(pixel(kNoteX, 1), kStripe) << "and not striped";
  EXPECT_EQ(pixel(kNoteX, 3), kStripe) << "an odd row striped by CellBackgroundPaint";
}

TEST_F(ListboxDemo, CheckBoxesAreCountedAndNotesAreEditedInPlace) {
  std::vector<Item> items = stock();
  DriverRun run =
      drive(start() + click(at(kCheckBoxX, 0)) + waitText("CheckedText", "Checked: 1429") +
            click(at(kCheckBoxX, 6)) + waitText("CheckedText", "Checked: 1428") +
            "screenshot ticked\n" + click(at(kNoteX, 2)) + "type \"top shelf\"\nkey return\n" +
            waitText("StatusText", "Note for " + items[2].name + ": top shelf") +
            waitText("SelectionText", selected(items[2])) + /* the edited row stays selected */
            "screenshot noted\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(run.screenshots.size(), 2u);
}

TEST_F(ListboxDemo, KitsOpenIntoTheirPartsAndCloseAgain) {
  std::vector<Item> items = stock();
  const Item &kit = items.back(); /* the 10,000th item: Kit 200 */
  DriverRun run = drive(
      start() + click(at(kItemX, 0)) + "key end\n" + waitText("SelectionText", selected(kit)) +
      "key right\n" + waitText("StatusText", "Opened Kit 200") + "key end\n" +
      waitText("SelectionText", "Selected: Kit 200 part 3, quantity 6") +
      "screenshot opened\nkey left\n" + waitText("SelectionText", selected(kit)) + "key left\n" +
      waitText("StatusText", "Closed Kit 200") + "key end\n" +
      waitText("SelectionText", selected(kit)) + "screenshot closed\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(kit.name, "Kit 200");
  EXPECT_EQ(run.screenshots.size(), 2u);
}

} // namespace
