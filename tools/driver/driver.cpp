// A small automation driver for end-to-end tests: it finds the windows of
// another process the way a person would see them and acts on them.
//
//   driver run [--screenshots FOLDER] SCRIPT
//     runs the script file SCRIPT (UTF-8, one command a line; see script.h)
//   driver do [--screenshots FOLDER] "COMMAND; COMMAND; ..."
//     runs commands given on the command line, separated by semicolons
//   driver message [--timeout SECONDS] [--press OK|Cancel] [--process NAME]
//     waits for a message box (of the program NAME.exe, when given), prints
//     its caption and text, presses a button.
#include "host.h"
#include "script.h"
#include "text.h"
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

static std::string windowText(HWND window) {
  char text[2048] = "";
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return text;
}

struct Search {
  const char *process; // the file name of the program whose box is wanted, or nil
  HWND found;
};

// True when the window belongs to a process whose executable is named `name`.
static bool ownedBy(HWND window, const char *name) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  char path[MAX_PATH] = "";
  DWORD size = sizeof path;
  bool named = process && QueryFullProcessImageNameA(process, 0, path, &size);
  if (process) CloseHandle(process);
  const char *file = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
  return named && _stricmp(file, name) == 0;
}

static BOOL CALLBACK findDialog(HWND window, LPARAM context) {
  Search *search = (Search *)context;
  char cls[64];
  GetClassNameA(window, cls, sizeof cls);
  if (IsWindowVisible(window) && strcmp(cls, "#32770") == 0 &&
      (!search->process || ownedBy(window, search->process))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

static HWND waitForDialog(double seconds, const char *process) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000; Sleep(50)) {
    Search search = {process, nullptr};
    EnumWindows(findDialog, (LPARAM)&search);
    if (search.found) return search.found;
  }
  return nullptr;
}

// The message text is the static control with id 0xFFFF.
static int showMessage(double timeout, const char *press, const char *process) {
  HWND dialog = waitForDialog(timeout, process);
  if (!dialog) {
    fprintf(stderr, "driver: no message box within %.0f seconds\n", timeout);
    return 1;
  }
  Sleep(100); /* let it finish drawing */
  printf("caption: %s\n", windowText(dialog).c_str());
  printf("text: %s\n", windowText(GetDlgItem(dialog, 0xFFFF)).c_str());
  fflush(stdout);
  int button = strcmp(press, "Cancel") == 0 ? IDCANCEL : IDOK;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               (LPARAM)GetDlgItem(dialog, button));
  return 0;
}

// The command line as UTF-8 words, whatever the ANSI code page.
static std::vector<std::string> arguments() {
  int count = 0;
  wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> words;
  for (int i = 0; i < count; i++) words.push_back(text::utf8(wide[i]));
  LocalFree(wide);
  return words;
}

static bool readLines(const std::string &file, std::vector<std::string> *lines) {
  std::ifstream in(text::wide(file).c_str(), std::ios::binary);
  if (!in) return false;
  std::stringstream all;
  all << in.rdbuf();
  std::string content = all.str();
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3); /* a byte-order mark */
  std::string line;
  for (std::istringstream split(content); std::getline(split, line);) lines->push_back(line);
  return true;
}

// Commands on the command line: split at semicolons outside "...".
static std::vector<std::string> commandLines(const std::string &all) {
  std::vector<std::string> lines(1);
  bool quoted = false;
  for (size_t i = 0; i < all.size(); i++) {
    char c = all[i];
    if (c == ';' && !quoted) {
      lines.emplace_back();
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (c == '\\' && quoted && i + 1 < all.size()) lines.back() += all[i++]; /* keeps \" whole */
    lines.back() += all[i];
  }
  return lines;
}

static int runScript(const std::vector<std::string> &words) {
  std::string shots;
  size_t i = 2;
  if (i + 1 < words.size() && words[i] == "--screenshots") {
    shots = words[i + 1];
    i += 2;
  }
  if (!shots.empty()) {
    std::string unix = host::unixPath(shots);
    if (unix.empty()) {
      fprintf(stderr, "driver: no Unix name for the screenshot folder %s\n", shots.c_str());
      return 2;
    }
    shots = unix;
  }
  std::vector<std::string> lines;
  if (words[1] == "do") {
    std::string all;
    for (; i < words.size(); i++) all += words[i] + " ";
    lines = commandLines(all);
  } else if (i + 1 != words.size() || !readLines(words[i], &lines)) {
    fprintf(stderr, "driver: cannot read the script %s\n",
            i < words.size() ? words[i].c_str() : "");
    return 2;
  }
  return script::run(lines, shots);
}

int main(int argc, char **argv) {
  _setmode(_fileno(stdout), _O_BINARY); /* lines end as the texts do, in \n */
  std::vector<std::string> words = arguments();
  if (words.size() >= 3 && (words[1] == "run" || words[1] == "do")) return runScript(words);
  double timeout = 20;
  const char *press = "OK", *process = nullptr;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--timeout") == 0)
      timeout = atof(argv[i + 1]);
    else if (strcmp(argv[i], "--press") == 0)
      press = argv[i + 1];
    else if (strcmp(argv[i], "--process") == 0)
      process = argv[i + 1];
  }
  if (argc >= 2 && strcmp(argv[1], "message") == 0) return showMessage(timeout, press, process);
  fprintf(stderr,
          "usage: driver run [--screenshots FOLDER] SCRIPT\n"
          "       driver do [--screenshots FOLDER] \"COMMAND; COMMAND; ...\"\n"
          "       driver message [--timeout SECONDS] [--press OK|Cancel] [--process NAME]\n");
  return 2;
}
