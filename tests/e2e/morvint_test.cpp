// The calculator, morvint.exe, used as a person would: typing into its
// fields, choosing ground types and shapes, pressing the compute buttons on
// each tab, opening the About windows, quitting. Screenshots of each tab with
// its results are kept.
#include "e2e.h"

namespace {

using e2e::DriverRun;

class Morvint : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(MORVINT_EXE, MORVINT_SOURCES "/MainWindow.bas");
    ASSERT_EQ(id.size(), 95u);
  }

  static std::string textOf(const DriverRun &run, const std::string &control, size_t n) {
    return e2e::textOf(run, control, n);
  }

  static constexpr const char *kStart = "start morvint.exe\n"
                                        "wait-window QXWindow \"Morvint　Ｖ4.1.3\"\n";
};

TEST_F(Morvint, SoundingTabFloorsThenDoublesTheLongTermValue) {
  struct {
    const char *nsw, *longTerm, *shortTerm;
  } cases[] = {{"10", "36", "72"},
               {"", "30", "60"},
               {"150", "120", "240"},
               {"200", "120", "240"},
               {"-10", "24", "48"}};
  std::string script = std::string(kStart) + "click-tab \"(三)\"\n";
  for (auto &c : cases)
    script += enter("EditField7", c.nsw) + "click " + id["PushButton2"] + "\n" +
              read("EditField14") + read("EditField15");
  script += "screenshot tab3\nkey ctrl+q\nwait-exit\n";
  DriverRun run = drive(script);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  for (size_t i = 0; i < std::size(cases); i++) {
    EXPECT_EQ(textOf(run, id["EditField14"], i), cases[i].longTerm) << cases[i].nsw;
    EXPECT_EQ(textOf(run, id["EditField15"], i), cases[i].shortTerm) << cases[i].nsw;
  }
  EXPECT_TRUE(run.has("exit 0"));
}

TEST_F(Morvint, PlateLoadTabUsesTheGroundTypeChosen) {
  std::string script = std::string(kStart) + "click-tab \"(二)\"\n" + "click 砂質地盤\n" +
                       enter("EditField16", "1") + enter("EditField17", "18") +
                       enter("EditField18", "100") + "click " + id["PushButton3"] + "\n" +
                       read("EditField8") + read("EditField13") +
                       /* a ground type changes only the code: nothing is computed */
                       "click 密実な砂質地盤\n" + read("EditField8") + enter("EditField16", "0.5") +
                       enter("EditField17", "16") + enter("EditField18", "50") + "click " +
                       id["PushButton3"] + "\n" + read("EditField8") + read("EditField13") +
                       read("RadioButton2(0)") + "screenshot tab2\nclose\nwait-exit\n";
  DriverRun run = drive(script);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(textOf(run, id["EditField8"], 0), "136");
  EXPECT_EQ(textOf(run, id["EditField13"], 0), "236");
  EXPECT_EQ(textOf(run, id["EditField8"], 1), "136");
  EXPECT_EQ(textOf(run, id["EditField8"], 2), "82");
  EXPECT_EQ(textOf(run, id["EditField13"], 1), "132");
  EXPECT_TRUE(run.has("exit 0")) << "closing the main window ends the program";
}

TEST_F(Morvint, ShearTabWorksOutFactorsAndBothTerms) {
  // Inputs θ, φ, L, B, C, Df, γ1, γ2 and the shape; the results expected in
  // qa long, qa short, Nc, Nγ, Nq, ic, iγ, iq, α, β ("" where not checked).
  struct Case {
    const char *inputs[8];
    bool circular;
    const char *results[10];
  } cases[] = {
      {{"0", "30", "", "2", "10", "1", "18", "17"},
       true,
       {"289.743", "579.486", "30.65", "16.6", "18.95", "1", "1", "1", "1.2", "0.3"}},
      {{"0", "0", "", "2", "20", "1", "18", "17"}, true, {"46.466", "92.933", "5.1", "0", "1"}},
      {{"40", "30", "3", "2", "10", "1", "18", "17"},
       false,
       {"99.187", "198.375", "30.65", "16.6", "18.95", "", "0", ""}},
      {{"10", "30", "3", "2", "10", "1", "18", "17"}, false, {"208.795", "417.591"}},
      {{"0", "2", "4", "2", "10", "1", "18", "17"},
       false,
       {"", "", "5.66", "0.04", "1.24", "1", "1", "1", "1.1", "0.4"}},
      {{"0", "27"}, false, {"", "", "24.1"}},
      {{"0", "25"}, false, {"", "", "20.7", "6.8", "10.7"}},
      {{"0", "-3"}, false, {"", "", "5.1", "0", "1"}},
      {{"0", "45"}, false, {"", "", "75.3", "93.7", "64.2"}},
  };
  const char *inputs[] = {"EditField1", "EditField2",  "EditField3",  "EditField4",
                          "EditField9", "EditField10", "EditField11", "EditField12"};
  const char *outputs[] = {"EditField5",  "EditField6",  "EditField19", "EditField20",
                           "EditField21", "EditField22", "EditField23", "EditField24",
                           "EditField25", "EditField26"};
  std::string script = kStart;
  for (const Case &c : cases) {
    script += std::string("click ") + (c.circular ? "円　　形" : "円形以外") + "\n";
    for (size_t i = 0; i < std::size(inputs); i++)
      if (c.inputs[i]) script += enter(inputs[i], c.inputs[i]);
    script += "click " + id["PushButton1"] + "\n";
    for (const char *f : outputs) script += read(f);
    script += read("EditField1");
    if (&c == &cases[0]) script += "screenshot tab1\n";
  }
  script += "key ctrl+q\nwait-exit\n";
  DriverRun run = drive(script, 300);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  for (size_t n = 0; n < std::size(cases); n++) {
    for (size_t i = 0; i < std::size(outputs); i++) {
      const char *expected = cases[n].results[i];
      if (!expected || !*expected) continue;
      EXPECT_EQ(textOf(run, id[outputs[i]], n), expected) << "case " << n << ", " << outputs[i];
    }
  }
  EXPECT_EQ(textOf(run, id["EditField1"], 2), "40"); /* θ taken as φ is not written back */
}

TEST_F(Morvint, AboutWindowsOpenFromTheMenuAndCloseWithTheirButton) {
  DriverRun run = drive(std::string(kStart) + R"(
menu "その他/About..."
wait-window QXWindow "このプログラムについて"
wait-window QXWindow "Morvint　Ｖ4.1.3"
menu "その他/About..."
wait-window QXWindow "このプログラムについて"
screenshot about
click ＯＫ
wait-window QXWindow "このプログラムについて"
click ＯＫ
wait-window QXWindow "Morvint　Ｖ4.1.3"
menu "その他/このプログラムについて..."
message --press OK
menu "ファイル/終了"
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::vector<std::string> box = run.starting("message ");
  ASSERT_EQ(box.size(), 1u) << run.output();
  EXPECT_NE(e2e::fields(box[0])["text"].find("Morvint Ver. 1.4.3"), std::string::npos) << box[0];
  EXPECT_TRUE(run.has("exit 0")) << run.output();
}

} // namespace
