/* A version-1 plug-in: global methods through its exports table (two indexes
   outside it), a class it may not register, and a first-form control. */
#include "karuplugin.h"
#include <stddef.h>

__declspec(dllexport) int32_t kpTwice(int32_t n) { return 2 * n; }
__declspec(dllexport) void kpTurn(KARUObject dial) { (void)dial; }

static void *const exportsTable[] = {(void *)kpTwice, (void *)kpTurn, NULL};

static KARUMethodV1 twice = {0, "V1Twice(n As Integer) As Integer"};
static KARUMethodV1 beyond = {5, "V1Beyond(n As Integer) As Integer"};
static KARUMethodV1 negative = {-1, "V1Negative()"};
static KARUMethodV1 dialMethods[] = {{1, "Turn()"}, {7, "Spin()"}};
static KARUPropertyV1 dialProperties[] = {
    {"Angle", "Integer", KARU_SHARED_ACCESSOR, KARU_SHARED_ACCESSOR, 0, 0}};
static KARUClassDescription refused = {.name = "KPV1Class", .dataSize = 4};

__declspec(dllexport) KARUControlDescriptionV1 kpDial = {
    .kind = KARU_CONTROL_KIND_V1,
    .name = "KPOldDial",
    .dataSize = 4,
    .properties = dialProperties,
    .propertyCount = 1,
    .methods = dialMethods,
    .methodCount = 2,
};
__declspec(dllexport) KARUClass kpV1Class = (KARUClass)1; /* what registering gave */

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  PluginRegisterMethodProc method = KARU_ENTRY(lookup, PluginRegisterMethod);
  KARU_ENTRY(lookup, RegisterPluginExports)(exportsTable);
  method(&twice);
  method(&beyond);
  method(&negative);
  kpV1Class = KARU_ENTRY(lookup, PluginRegisterClass)(&refused);
  KARU_ENTRY(lookup, PluginRegisterControl)(&kpDial);
}
