// Address, the database's demonstration (address.exe), used as a person
// would: the data control's move buttons pressed, a list row clicked, a
// field edited and saved, a person added and deleted, a name with a quote
// found. What was saved is checked again after the program is started anew,
// and the database file it left is checked by the engine's own tool.
#include "e2e.h"

namespace {

using e2e::DriverRun;
using e2e::textOf;

// The data control sits at 12,146 and is 288 by 26: its four buttons are as
// wide as it is high, first and previous at the left, next and last at the right.
constexpr int kDataTop = 146, kDataLeft = 12, kDataWidth = 288, kButton = 26;

std::string press(int button) {
  int x = button < 2 ? kDataLeft + kButton * button + kButton / 2
                     : kDataLeft + kDataWidth - kButton * (4 - button) + kButton / 2;
  return "click-at " + std::to_string(x) + " " + std::to_string(kDataTop + kButton / 2) + "\n";
}
const std::string first = press(0), previous = press(1), next = press(2), last = press(3);

// The check state of the first read of a check box ("#n").
std::string checkedOf(const DriverRun &run, const std::string &control) {
  for (const std::string &line : run.starting("control "))
    if ("#" + e2e::fields(line)["id"] == control) return e2e::fields(line)["checked"];
  return "<not read>";
}

class AddressDemo : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(ADDRESS_EXE, ADDRESS_SOURCES "/Address.bas");
  }
  std::string status(const std::string &text) {
    return "wait-text " + id["StatusText"] + " \"" + text + "\"\n";
  }
  std::string click(const std::string &control) { return "click " + id[control] + "\n"; }
  const std::string start = "start address.exe\nwait-window QXWindow \"Address book\"\n";
  const std::string quit = "close\nwait-exit\n";
};

TEST_F(AddressDemo, TheDataControlWalksThePeopleAndTheListFollows) {
  DriverRun run =
      drive(start + status("Record 1 of 5.") + read("NameField") + read("Everyone") +
            "screenshot first\n" + next + status("Record 2 of 5.") + read("NameField") +
            read("CityField") + last + status("Record 5 of 5.") + read("NameField") + previous +
            status("Record 4 of 5.") + read("Favourite") + first + status("Record 1 of 5.") +
            "click " + id["Everyone"] + " 60,26\nkey down down\n" + status("Record 3 of 5.") +
            read("NameField") + read("Everyone") + "screenshot third\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(textOf(run, id["NameField"], 0), "Aiko Tanaka");
  EXPECT_EQ(textOf(run, id["NameField"], 1), "Liam O'Brien");
  EXPECT_EQ(textOf(run, id["CityField"], 0), "Dublin");
  EXPECT_EQ(textOf(run, id["NameField"], 2), "Ines Duarte");
  EXPECT_EQ(checkedOf(run, id["Favourite"]), "1") << run.output(); // Kenji Sato is a favourite
  EXPECT_EQ(textOf(run, id["NameField"], 3), "Marta Novak");
}

TEST_F(AddressDemo, SavedChangesAndNewPeopleOutliveTheProgram) {
  DriverRun run =
      drive(start + status("Record 1 of 5.") + next + status("Record 2 of 5.") +
            enter("CityField", "Cork") + click("SaveButton") + status("Saved. Record 2 of 5.") +
            click("NewButton") + enter("NameField", "Yuki Mori") + enter("CityField", "Sapporo") +
            click("SaveButton") + status("Saved. Record 6 of 6.") + "screenshot saved\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();

  DriverRun again = drive(start + status("Record 1 of 6.") + next + status("Record 2 of 6.") +
                          read("CityField") + last + status("Record 6 of 6.") + read("NameField") +
                          read("CityField") + read("NumberText") + click("DeleteButton") +
                          status("Deleted. Record 5 of 5.") + read("NameField") + quit);
  ASSERT_EQ(again.exitCode, 0) << again.output();
  EXPECT_EQ(textOf(again, id["CityField"], 0), "Cork");
  EXPECT_EQ(textOf(again, id["NameField"], 0), "Yuki Mori");
  EXPECT_EQ(textOf(again, id["CityField"], 1), "Sapporo");
  EXPECT_EQ(textOf(again, id["NumberText"], 0), "6"); // after the highest, 5
  EXPECT_EQ(textOf(again, id["NameField"], 1), "Ines Duarte");

  // The file the program left, read natively by the engine's command-line tool.
  std::string command = "printf 'check\\nSELECT name, city FROM people\\n' | " DBSQL " '" +
                        (dir / "address.db").string() + "' 2>&1";
  FILE *out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string rows;
  for (char buffer[256]; fgets(buffer, sizeof buffer, out);) rows += buffer;
  EXPECT_EQ(pclose(out), 0) << rows;
  EXPECT_EQ(rows, "Aiko Tanaka\tTokyo\nLiam O'Brien\tCork\nMarta Novak\tPrague\n"
                  "Kenji Sato\tOsaka\nInes Duarte\tLisbon\n");
}

TEST_F(AddressDemo, FindBindsTheNameSoAQuoteIsJustAQuote) {
  DriverRun run =
      drive(start + status("Record 1 of 5.") + enter("FindField", "O'Brien") + click("FindButton") +
            status("Found 1 for O'Brien.") + read("Found") + enter("FindField", "ar") +
            click("FindButton") + status("Found 2 for ar.") + enter("FindField", "' OR 'x'='x") +
            click("FindButton") + status("Found 0 for ' OR 'x'='x.") + "screenshot found\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
}

} // namespace
