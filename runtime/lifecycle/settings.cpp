// The run-time facts and project settings RuntimeInit records.
#include "lifecycle/settings.h"

DWORD gStartTick;
bool gRuntimeStarted;
uintptr_t gStackLimit;
ProjectSettings gSettings;
const uint8_t *gMenuBarDescription;
int32_t gMenuBarLength;
