// Unix file names and programs, reached from inside Wine.
//
// Screenshots are taken by ImageMagick's import on the display Wine draws on
// (the private Xvfb of scripts/wine-run.sh, named by DISPLAY). Wine's
// CreateProcess starts a Unix executable when given one, so the driver runs
// import itself, between two steps of its script, when the windows are
// exactly as the step left them. Wine returns no handle to wait on for a
// Unix process, so import writes to a temporary name which a rename makes
// final only once the file is complete; the driver waits for the final name.
#include "host.h"
#include "text.h"
#include <windows.h>

namespace host {

typedef WCHAR *(CDECL *ToDos)(const char *);
typedef char *(CDECL *ToUnix)(const WCHAR *);

template <typename F> static F wineExport(const char *name) {
  return (F)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

std::string dosPath(const std::string &path) {
  ToDos convert = wineExport<ToDos>("wine_get_dos_file_name");
  if (path.empty() || path[0] != '/' || !convert) return path;
  WCHAR *dos = convert(path.c_str());
  if (!dos) return path;
  std::string out = text::utf8(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return out;
}

std::string unixPath(const std::string &path) {
  ToUnix convert = wineExport<ToUnix>("wine_get_unix_file_name");
  if (!path.empty() && path[0] == '/') return path;
  if (!convert) return "";
  char *unix = convert(text::wide(path).c_str());
  if (!unix) return "";
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

static bool exists(const std::string &unixName) {
  return GetFileAttributesW(text::wide(dosPath(unixName)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool screenshot(const std::string &png, double seconds, std::string *error) {
  wchar_t display[64] = L"";
  if (!GetEnvironmentVariableW(L"DISPLAY", display, 64)) {
    *error = "no DISPLAY to take a screenshot of";
    return false;
  }
  if (png.find_first_of("'\"\\") != std::string::npos) {
    *error = "screenshot name with a quote or backslash: " + png;
    return false;
  }
  std::string part = png + ".part";
  DeleteFileW(text::wide(dosPath(png)).c_str());
  std::string shell = "/bin/sh -c \"import -display " + text::utf8(display) +
                      " -window root 'png:" + part + "' >/dev/null 2>&1 && mv -f '" + part + "' '" +
                      png + "'\"";
  std::wstring command = text::wide(shell);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    *error = "could not start /bin/sh for import (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  if (started.hProcess) CloseHandle(started.hProcess); /* Wine gives none for Unix programs */
  if (started.hThread) CloseHandle(started.hThread);
  for (DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000; Sleep(50))
    if (exists(png)) return true;
  *error = "import wrote no " + png + " (is ImageMagick installed?)";
  return false;
}

} // namespace host
