// The fixture of the end-to-end tests: the automation driver (driver.exe,
// under Wine) runs a script against a real executable in a scratch folder, as
// a person would use it, and the test reads back what the driver printed, its
// exit code, the files the program wrote and the screenshots it kept.
//
// Screenshots go to SCREENSHOTS_DIR/<Suite>.<Test>/NN-name.png, to be looked
// at after a run. The tests run in a Wine environment of their own (prefix,
// wineserver and Xvfb display under E2E_WINE_STATE), so that no other test's
// windows take the foreground while the driver types and clicks.
#pragma once
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

namespace e2e {

namespace fs = std::filesystem;

inline std::string readText(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The key=value fields of a driver result line, such as
//   control Button id=104 text="Blue" ... checked=1
// with quoted values unescaped (\" \\ \n \r \t).
inline std::map<std::string, std::string> fields(const std::string &line) {
  std::map<std::string, std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    size_t end = line.find_first_of(" =", i);
    if (end == std::string::npos || line[end] == ' ') { /* a word without a value */
      i = end == std::string::npos ? line.size() : end + 1;
      continue;
    }
    std::string key = line.substr(i, end - i), value;
    i = end + 1;
    if (i < line.size() && line[i] == '"') {
      for (i++; i < line.size() && line[i] != '"'; i++) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
          c = line[++i];
          c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        value += c;
      }
      i += 2; /* the closing quote and the blank after it */
    } else {
      end = line.find(' ', i);
      if (end == std::string::npos) end = line.size();
      value = line.substr(i, end - i);
      i = end + 1;
    }
    out[key] = value;
  }
  return out;
}

struct DriverRun {
  int exitCode = -1;                 // the driver's: 0 when every command did what it says
  std::vector<std::string> lines;    // what it printed, a line each
  std::vector<fs::path> screenshots; // the PNG files it kept, in the order taken

  std::string output() const {
    std::string all;
    for (const std::string &line : lines) all += line + "\n";
    return all;
  }
  // The lines that start with prefix, in order ("control Edit id=101", "exit").
  std::vector<std::string> starting(const std::string &prefix) const {
    std::vector<std::string> found;
    for (const std::string &line : lines)
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
  }
  bool has(const std::string &line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

// The controls of a window's source: each control's name to "#n", its place
// among the window's controls, which is how the driver names it.
inline std::map<std::string, std::string> controlIds(const fs::path &source) {
  std::ifstream in(source);
  std::regex control(R"(^\s*Control (\S+) As )");
  std::map<std::string, std::string> id;
  int n = 0;
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, control)) id[m[1]] = "#" + std::to_string(++n);
  }
  return id;
}

// The text that the nth "read" of a control ("#n") printed.
inline std::string textOf(const DriverRun &run, const std::string &control, size_t n) {
  size_t seen = 0;
  for (const std::string &line : run.starting("control ")) {
    auto f = fields(line);
    if ("#" + f["id"] == control && seen++ == n) return f["text"];
  }
  return "<not read>";
}

// The colour (0xRRGGBB) of one pixel of a PNG screenshot, read by ImageMagick.
inline uint32_t screenPixel(const fs::path &png, int x, int y) {
  std::string command = "convert '" + png.string() + "' -format '%[hex:p{" + std::to_string(x) +
                        "," + std::to_string(y) + "}]' info: 2>/dev/null";
  FILE *out = popen(command.c_str(), "r");
  char hex[16] = "";
  if (!out || !fgets(hex, sizeof hex, out)) hex[0] = 0;
  if (out) pclose(out);
  return (uint32_t)strtoul(std::string(hex).substr(0, 6).c_str(), nullptr, 16);
}

// Where a control ("#n") has its top-left corner on the screen, from the
// first read of it; -1, -1 when it was not read.
inline std::pair<int, int> screenOrigin(const DriverRun &run, const std::string &control) {
  for (const std::string &line : run.starting("control "))
    if ("#" + fields(line)["id"] == control) {
      int l = -1, t = -1;
      sscanf(fields(line)["screen"].c_str(), "%d,%d", &l, &t);
      return {l, t};
    }
  return {-1, -1};
}

class EndToEndTest : public testing::Test {
protected:
  fs::path dir;   // the scratch folder: the program's working directory
  fs::path shots; // where this test's screenshots go

  void SetUp() override {
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    /* the process's number too: test runs of two checkouts at once keep apart */
    dir = fs::temp_directory_path() / ("e2e-" + name + "-" + std::to_string(getpid()));
    shots = fs::path(SCREENSHOTS_DIR) / name;
    for (const fs::path &folder : {dir, shots}) {
      fs::remove_all(folder);
      fs::create_directories(folder);
    }
  }
  void TearDown() override {
    if (!getenv("KEEP_E2E_DIRS")) fs::remove_all(dir); /* kept for a look when asked */
  }

  // Copies an executable (and nothing else) into the scratch folder.
  fs::path copy(const fs::path &exe) {
    fs::path to = dir / exe.filename();
    fs::copy_file(exe, to, fs::copy_options::overwrite_existing);
    return to;
  }

  std::string readFile(const std::string &name) { return readText(dir / name); }

  // Runs a driver script (UTF-8, one command a line) in the scratch folder.
  DriverRun drive(const std::string &script, int seconds = 180) {
    std::ofstream(dir / "script.txt", std::ios::binary) << script;
    std::string state = wineState();
    std::string command = "cd '" + dir.string() + "' && " + environment(state) + " timeout " +
                          std::to_string(seconds) +
                          " '" WINE_RUN "' '" DRIVER_EXE "' run --screenshots '" + shots.string() +
                          "' script.txt >driver.out 2>&1; echo $? >driver.rc";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    DriverRun run;
    run.exitCode = std::stoi("0" + readText(dir / "driver.rc"));
    if (run.exitCode == 124) /* the driver hung: end what it left running */
      std::system(("WINEPREFIX='" + state + "/prefix' wineserver -k 2>/dev/null").c_str());
    std::istringstream out(readText(dir / "driver.out"));
    for (std::string line; std::getline(out, line);) run.lines.push_back(line);
    for (const fs::directory_entry &file : fs::directory_iterator(shots))
      if (file.path().extension() == ".png") run.screenshots.push_back(file.path());
    std::sort(run.screenshots.begin(), run.screenshots.end());
    return run;
  }

private:
  // Never the display of whoever runs the tests: real input would take over
  // their mouse and keyboard. Without DISPLAY, wine-run.sh starts a private one.
  static std::string environment(const std::string &state) {
    return "env -u DISPLAY MORVINT_WINE_STATE='" + state + "'";
  }

  // The Wine environment of these tests. Its display has no window manager,
  // so Wine is told to draw window frames itself: screenshots then show the
  // caption and its close box, as a person would see them.
  static std::string wineState() {
    const char *chosen = getenv("MORVINT_E2E_STATE");
    std::string state = chosen ? chosen : E2E_WINE_STATE;
    fs::create_directories(state);
    if (!fs::exists(fs::path(state) / "frames-drawn-by-wine")) {
      std::string command = environment(state) +
                            " '" WINE_RUN
                            "' reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Decorated /t REG_SZ "
                            "/d N /f >/dev/null 2>&1 && touch '" +
                            state + "/frames-drawn-by-wine'";
      EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
    return state;
  }
};

// A test of one application window, whose controls are named as in its source.
class ApplicationTest : public EndToEndTest {
protected:
  std::map<std::string, std::string> id; // a control's name: "#n", its place on the window

  // Copies the executable into the scratch folder and names the window's controls.
  void open(const fs::path &exe, const fs::path &windowSource) {
    copy(exe);
    id = controlIds(windowSource);
  }
  // Replaces what a one-line field holds with text, typed.
  std::string enter(const std::string &field, const std::string &text) {
    std::string s = "click " + id[field] + "\nkey end shift+home delete\n";
    return text.empty() ? s : s + "type \"" + text + "\"\n";
  }
  std::string read(const std::string &field) { return "read " + id[field] + "\n"; }
};

} // namespace e2e
