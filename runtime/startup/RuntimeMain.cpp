// Process entry: prepares the process (common controls, the pool and string
// locks, the core classes) and looks for the application image.
#include "startup/RuntimeMain.h"
#include "objects/objects.h"
#include "objects/utility.h"
#include "startup/platform.h"
#include "text/string.h"
#include <commctrl.h>

HINSTANCE gInstance;
const char *gCommandLine;

void runtime_core_init() {
  pool_init();
  str_init();
  objects_init();
}

// The image loader replaces this with the real search; until then the runtime
// says plainly that it has nothing to run.
static bool loadApplicationImage() {
  gPlatform.messageBox(nullptr,
                       "No application image was found.\n\n"
                       "This runtime carries no image of its own, and the development "
                       "files code1.dat, data1.dat, code2.dat and data2.dat are not in the "
                       "working directory.",
                       "Message", MB_OK | MB_ICONINFORMATION);
  return false;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  gInstance = instance;
  gCommandLine = commandLine;
  InitCommonControls();
  runtime_core_init();
  loadApplicationImage();
  return 0;
}
