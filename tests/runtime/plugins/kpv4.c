/* A version-4 plug-in: an interface, a class implementing it (and naming one
   that does not exist), a control with handlers and interfaces, and an
   extension of a class another plug-in registered. */
#include "karuplugin.h"
#include <stddef.h>

__declspec(dllexport) double kpArea(KARUObject square) {
  (void)square;
  return 4.0;
}
__declspec(dllexport) void kpBadgeOpen(KARUObject badge) { (void)badge; }
__declspec(dllexport) KARUString kpDescribe(KARUObject o) {
  (void)o;
  return NULL;
}

static KARUMethodDescription shapeMethods[] = {{NULL, "Area() As Double", NULL}};
static KARUInterfaceDescription shape = {0, "KPShape", shapeMethods, 1};
static KARUMethodDescription areaMethods[] = {{(void *)kpArea, "Area() As Double", NULL}};
static KARUClassDescription square = {
    .name = "KPSquare",
    .dataSize = 8,
    .methods = areaMethods,
    .methodCount = 1,
    .interfaces = "KPShape, NoSuchThing",
};
static KARUHandlerDescription badgeHandlers[] = {{"Open", (void *)kpBadgeOpen}};
static KARUControlDescription badge = {
    .kind = KARU_CONTROL_KIND_V4,
    .name = "KPBadge",
    .methods = areaMethods,
    .methodCount = 1,
    .handlers = badgeHandlers,
    .handlerCount = 1,
    .interfaces = "KPShape,KPPlain",
};
static KARUMethodDescription describe[] = {{(void *)kpDescribe, "Describe() As String", NULL}};
static KARUClassExtension parentExtra = {
    .className = "KPParent", .methods = describe, .methodCount = 1};
static KARUClassExtension nobodyExtra = {
    .className = "KPNobody", .methods = describe, .methodCount = 1};

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  KARU_ENTRY(lookup, PluginRegisterInterface)(&shape);
  KARU_ENTRY(lookup, PluginRegisterClass)(&square);
  KARU_ENTRY(lookup, PluginRegisterControl)(&badge);
  KARU_ENTRY(lookup, PluginRegisterClassExtension)(&parentExtra);
  KARU_ENTRY(lookup, PluginRegisterClassExtension)(&nobodyExtra);
}
