// The driver's commands that start and wait for programs, find windows, read
// them back and take screenshots, and the table of all commands.
#include "commands.h"
#include "host.h"
#include "inside.h"
#include "text.h"
#include "ui.h"
#include <cstdio>

namespace script {

std::string Args::option(const std::string &name, const std::string &otherwise) const {
  auto found = options.find(name);
  return found == options.end() ? otherwise : found->second;
}

double Args::seconds(const Session &s) const {
  auto found = options.find("timeout");
  return found == options.end() ? s.timeout : atof(found->second.c_str());
}

// "within 10 seconds", for messages about waits that gave up.
static std::string within(const Session &s, const Args &a) {
  char text[48];
  snprintf(text, sizeof text, "within %g seconds", a.seconds(s));
  return text;
}

// True, with the reason in s.error, when the started program is no more.
static bool ended(Session &s) {
  DWORD code = 0;
  if (!s.process || WaitForSingleObject(s.process, 0) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(s.process, &code);
  s.error = s.program + " has ended (exit code " + std::to_string(code) + ")";
  return true;
}

bool needWindow(Session &s) {
  if (s.window && IsWindow(s.window)) return true;
  if (!ended(s)) s.error = s.window ? "the window has gone" : "no window yet: use wait-window";
  return false;
}

HWND findControl(Session &s, const std::string &selector, double seconds) {
  if (!needWindow(s)) return nullptr;
  HWND found = nullptr;
  if (waitFor(seconds, [&] { return (found = ui::control(s.window, selector)) || ended(s); }) &&
      found)
    return found;
  if (s.error.empty())
    s.error =
        "no control " + text::quote(selector) + " in window " + text::quote(ui::text(s.window));
  return nullptr;
}

void settle(Session &s) {
  /* The input mark shows the input has been handled; with no window to hook
     (the program is starting or has ended) a short pause has to do. */
  if (s.window && IsWindow(s.window) && inside::caughtUp(s.window, s.process, 5)) return;
  Sleep(50);
  if (s.process) WaitForInputIdle(s.process, 2000);
  if (s.window && IsWindow(s.window))
    SendMessageTimeoutW(s.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}

// Windows' rules for one word of a command line, so the program's argv gets
// the words as written.
static std::string commandWord(const std::string &word) {
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      backslashes++;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

static bool doStart(Session &s, const Args &a) {
  if (s.process && !ended(s)) {
    s.error = s.program + " is running already";
    return false;
  }
  std::string exe = host::dosPath(a.words[0]), dir = host::dosPath(a.option("dir", ""));
  std::string line = commandWord(exe);
  for (size_t i = 1; i < a.words.size(); i++) line += " " + commandWord(a.words[i]);
  std::wstring wideLine = text::wide(line);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(text::wide(exe).c_str(), wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.empty() ? nullptr : text::wide(dir).c_str(), &startup, &started)) {
    s.error = "could not start " + exe + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  CloseHandle(started.hThread);
  s.process = started.hProcess;
  s.pid = started.dwProcessId;
  s.program = exe.substr(exe.find_last_of("\\/") + 1);
  s.window = nullptr;
  printf("started %s pid=%lu\n", s.program.c_str(), s.pid);
  return true;
}

static bool doWaitWindow(Session &s, const Args &a) {
  const std::string *title = a.words.size() > 1 ? &a.words[1] : nullptr;
  HWND found = nullptr;
  waitFor(a.seconds(s),
          [&] { return (found = ui::topWindow(s.pid, a.words[0], title)) || ended(s); });
  if (!found) {
    if (s.error.empty())
      s.error = "no window of class " + a.words[0] +
                (title ? " titled " + text::quote(*title) : "") + " " + within(s, a);
    return false;
  }
  s.window = found;
  printf("window %s\n", ui::describe(found, found).c_str());
  return true;
}

static bool doControls(Session &s, const Args &) {
  if (!needWindow(s)) return false;
  for (HWND c : ui::controls(s.window)) printf("control %s\n", ui::describe(c, s.window).c_str());
  return true;
}

static bool doRead(Session &s, const Args &a) {
  if (a.words.empty()) {
    if (!needWindow(s)) return false;
    printf("window %s\n", ui::describe(s.window, s.window).c_str());
    return true;
  }
  HWND c = findControl(s, a.words[0], a.seconds(s));
  if (c) printf("control %s\n", ui::describe(c, s.window).c_str());
  return c != nullptr;
}

static bool doWaitText(Session &s, const Args &a) {
  HWND c = findControl(s, a.words[0], a.seconds(s));
  if (!c) return false;
  if (!waitFor(a.seconds(s), [&] { return ui::text(c) == a.words[1]; })) {
    s.error = text::quote(a.words[0]) + " reads " + text::quote(ui::text(c)) + ", not " +
              text::quote(a.words[1]) + ", " + within(s, a);
    return false;
  }
  printf("control %s\n", ui::describe(c, s.window).c_str());
  return true;
}

static bool doWaitExit(Session &s, const Args &a) {
  if (!s.process) {
    s.error = "no program is running";
    return false;
  }
  if (WaitForSingleObject(s.process, (DWORD)(a.seconds(s) * 1000)) != WAIT_OBJECT_0) {
    s.error = s.program + " did not end " + within(s, a);
    return false;
  }
  DWORD code = 0;
  GetExitCodeProcess(s.process, &code);
  CloseHandle(s.process);
  s.process = nullptr;
  s.window = nullptr;
  printf("exit %lu\n", code);
  return true;
}

static bool doSleep(Session &s, const Args &a) {
  double seconds = atof(a.words[0].c_str());
  if (seconds < 0 || seconds > 600) {
    s.error = "sleep takes 0 to 600 seconds";
    return false;
  }
  Sleep((DWORD)(seconds * 1000));
  printf("slept %s\n", a.words[0].c_str());
  return true;
}

static bool doTimeout(Session &s, const Args &a) {
  double seconds = atof(a.words[0].c_str());
  if (seconds <= 0) {
    s.error = "the timeout must be more than 0 seconds";
    return false;
  }
  s.timeout = seconds;
  printf("timeout %s\n", a.words[0].c_str());
  return true;
}

// NN-name.png in the session's folder; name keeps letters, digits, - and _.
static std::string shotName(Session &s, const std::string &name) {
  char number[8];
  snprintf(number, sizeof number, "%02d-", ++s.shotCount);
  std::string file = number;
  for (char c : name) file += isalnum((unsigned char)c) || c == '-' || c == '_' ? c : '_';
  return s.shots + "/" + file + ".png";
}

static bool doScreenshot(Session &s, const Args &a) {
  if (s.shots.empty()) {
    printf("screenshot %s skipped: no screenshot folder\n", a.words[0].c_str());
    return true;
  }
  std::string png = shotName(s, a.words[0]);
  if (!host::screenshot(png, 20, &s.error)) return false;
  printf("screenshot %s\n", png.c_str());
  return true;
}

void failureScreenshot(Session &s) {
  std::string error;
  if (s.shots.empty()) return;
  std::string png = shotName(s, "failure");
  if (host::screenshot(png, 20, &error)) printf("screenshot %s\n", png.c_str());
}

static const Command kCommands[] = {
    {"start", doStart, 1, 99, "start [--dir FOLDER] PROGRAM [ARGUMENT...]"},
    {"wait-window", doWaitWindow, 1, 2, "wait-window CLASS|* [TITLE] [--timeout S]"},
    {"controls", doControls, 0, 0, "controls"},
    {"read", doRead, 0, 1, "read [CONTROL]"},
    {"wait-text", doWaitText, 2, 2, "wait-text CONTROL TEXT [--timeout S]"},
    {"click", doClick, 1, 2, "click CONTROL|window [X,Y] [--button right]"},
    {"click-tab", doClickTab, 1, 1, "click-tab TAB [--control CONTROL]"},
    {"click-at", doClickAt, 2, 2, "click-at X Y [--button right]"},
    {"drag", doDrag, 3, 3, "drag CONTROL|window X,Y|thumb X,Y"},
    {"wheel", doWheel, 2, 3, "wheel CONTROL|window NOTCHES [X,Y]"},
    {"type", doType, 1, 1, "type TEXT"},
    {"key", doKey, 1, 99, "key COMBINATION..."},
    {"menu", doMenu, 1, 1, "menu PATH"},
    {"message", doMessage, 0, 0, "message [--press BUTTON|none] [--timeout S]"},
    {"close", doClose, 0, 0, "close"},
    {"wait-exit", doWaitExit, 0, 0, "wait-exit [--timeout S]"},
    {"sleep", doSleep, 1, 1, "sleep SECONDS"},
    {"timeout", doTimeout, 1, 1, "timeout SECONDS"},
    {"screenshot", doScreenshot, 1, 1, "screenshot NAME"},
    {"clipboard", doClipboard, 0, 0, "clipboard [--timeout S]"},
    {"clipboard-picture", doClipboardPicture, 0, 0, "clipboard-picture [--timeout S]"},
    {"set-clipboard", doSetClipboard, 1, 1, "set-clipboard TEXT"},
    {"drop-files", doDropFiles, 3, 99, "drop-files CONTROL|window X,Y PATH..."},
    {"drop-text", doDropText, 3, 3, "drop-text CONTROL|window X,Y TEXT"},
};

const Command *find(const std::string &name) {
  for (const Command &c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

} // namespace script
