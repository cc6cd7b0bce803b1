// A small automation driver for end-to-end tests: it finds the windows of
// another process the way a person would see them and acts on them.
//
//   driver message [--timeout SECONDS] [--press OK|Cancel]
//     waits for a message box, prints its caption and text, presses a button.
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

static BOOL CALLBACK findDialog(HWND window, LPARAM found) {
  char cls[64];
  GetClassNameA(window, cls, sizeof cls);
  if (IsWindowVisible(window) && strcmp(cls, "#32770") == 0) {
    *(HWND *)found = window;
    return FALSE;
  }
  return TRUE;
}

static HWND waitForDialog(double seconds) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000; Sleep(50)) {
    HWND found = nullptr;
    EnumWindows(findDialog, (LPARAM)&found);
    if (found) return found;
  }
  return nullptr;
}

// The message text is the static control with id 0xFFFF.
static int showMessage(double timeout, const char *press) {
  HWND dialog = waitForDialog(timeout);
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
  const char *press = "OK";
  for (int i = 2; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--timeout") == 0)
      timeout = atof(argv[i + 1]);
    else if (strcmp(argv[i], "--press") == 0)
      press = argv[i + 1];
  }
  if (argc >= 2 && strcmp(argv[1], "message") == 0) return showMessage(timeout, press);
  fprintf(stderr, "usage: driver message [--timeout SECONDS] [--press OK|Cancel]\n");
  return 2;
}
