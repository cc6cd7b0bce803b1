// A small automation driver for end-to-end tests: it finds the windows of
// another process the way a person would see them and acts on them.
//
//   driver message [--timeout SECONDS] [--press OK|Cancel] [--process NAME]
//     waits for a message box (of the program NAME.exe, when given), prints
//     its caption and text, presses a button.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

int main(int argc, char **argv) {
  _setmode(_fileno(stdout), _O_BINARY); /* lines end as the texts do, in \n */
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
          "usage: driver message [--timeout SECONDS] [--press OK|Cancel] [--process NAME]\n");
  return 2;
}
