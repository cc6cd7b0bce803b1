// The commands of the driver's scripts, and what they share: the program the
// script started and the window its commands act on.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

namespace script {

struct Session {
  HANDLE process = nullptr; // the program the script started, until it has ended
  DWORD pid = 0;            // its process id; windows of other programs are not looked at
  std::string program;      // its file name, for messages
  HWND window = nullptr;    // the top-level window the last wait-window found
  double timeout = 10;      // seconds any wait lasts, unless its --timeout says otherwise
  std::string shots;        // the folder for screenshots (Unix name), or "" for none
  int shotCount = 0;        // screenshots taken, which numbers the next one's file
  std::string error;        // why the last command failed
};

struct Args {
  std::vector<std::string> words;             // the command's words after its name
  std::map<std::string, std::string> options; // --name value pairs, without the dashes

  std::string option(const std::string &name, const std::string &otherwise) const;
  double seconds(const Session &s) const; // --timeout, or the session's
};

struct Command {
  const char *name;
  bool (*run)(Session &, const Args &); // prints its result line; false with s.error set
  int least, most;                      // how many words it takes
  const char *usage;
};

const Command *find(const std::string &name);

// Saves NN-failure.png when screenshots are wanted, so that a failed run
// shows what was on the screen.
void failureScreenshot(Session &s);

// Shared by the commands: waits that give up after a time, and lookups that
// wait for what they look for.
template <typename F> bool waitFor(double seconds, F done) {
  for (DWORD start = GetTickCount();; Sleep(50)) {
    if (done()) return true;
    if (GetTickCount() - start > seconds * 1000) return false;
  }
}
bool needWindow(Session &s);
HWND findControl(Session &s, const std::string &selector, double seconds);
void settle(Session &s); // lets the program take in the input just given

// The screen point of a command's first two words (CONTROL|window and X,Y),
// with the program in front and the target showing there; nil, with s.error
// set, when it cannot be had.
HWND pointedAt(Session &s, const Args &a, POINT *at);

// The commands that act through real input (actions.cpp).
bool doClick(Session &s, const Args &a);
bool doClickTab(Session &s, const Args &a);
bool doClickAt(Session &s, const Args &a);
bool doDrag(Session &s, const Args &a);
bool doWheel(Session &s, const Args &a);
bool doType(Session &s, const Args &a);
bool doKey(Session &s, const Args &a);
bool doMenu(Session &s, const Args &a);
bool doMessage(Session &s, const Args &a);
bool doClose(Session &s, const Args &a);

// The clipboard commands (clipboard.cpp).
bool doClipboard(Session &s, const Args &a);
bool doClipboardPicture(Session &s, const Args &a);
bool doSetClipboard(Session &s, const Args &a);

// Drops made by the driver as another program's drag (dragsource.cpp).
bool doDropFiles(Session &s, const Args &a);
bool doDropText(Session &s, const Args &a);

} // namespace script
