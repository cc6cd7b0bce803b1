/* A version-3 plug-in: a class chain registered out of order, a class
   registered twice, a superclass cycle, a class and a control of one name,
   a control with data, and a global method. */
#include "karuplugin.h"
#include <stddef.h>

#define FIELD(name, type, offset, flags)                                                           \
  { 0, name, type, {0, 0}, KARU_SHARED_ACCESSOR, KARU_SHARED_ACCESSOR, offset, flags }

static KARUPropertyDescription parentProperties[] = {
    FIELD("Base", "Integer", 0, 0), FIELD("Title", "string", 4, KARU_PROPERTY_RUNTIME_ONLY)};
static KARUPropertyDescription childProperties[] = {FIELD("Score", "Integer", 0, 0)};
static KARUPropertyDescription grandchildProperties[] = {FIELD("Owner", "KPParent", 0, 0)};

#define CLASS(n, super, size, props)                                                               \
  {                                                                                                \
    .name = n, .superName = super, .dataSize = size, .properties = props,                          \
    .propertyCount = sizeof props / sizeof props[0]                                                \
  }
__declspec(dllexport) KARUClassDescription kpChild = CLASS("KPChild", "KPParent", 4,
                                                           childProperties);
__declspec(dllexport) KARUClassDescription kpParent = CLASS("KPParent", "", 8, parentProperties);
__declspec(dllexport) KARUClassDescription kpGrandchild = CLASS("KPGrandchild", "kpchild", 4,
                                                                grandchildProperties);
__declspec(dllexport) KARUClassDescription kpPlain = {.name = "KPPlain", .dataSize = 8};
static KARUClassDescription plainAgain = {.name = "kpplain", .dataSize = 100};
static KARUClassDescription loopA = {.name = "KPLoopA", .superName = "KPLoopB", .dataSize = 4};
static KARUClassDescription loopB = {.name = "KPLoopB", .superName = "KPLoopA", .dataSize = 4};
static KARUClassDescription twinClass = {.name = "KPTwin"};
static KARUInterfaceDescription tooEarly = {.name = "KPV3Shape"};

/* The gauge: 12 bytes of data, Level at 4, which construction sets to 7. */
__declspec(dllexport) void kpReset(KARUObject gauge) { (void)gauge; }
__declspec(dllexport) KARUControlDescription kpGauge;
static void gaugeOpen(KARUObject gauge) {
  *(int32_t *)((char *)gauge + kpGauge.dataOffset + 4) = 7;
}
static KARUPropertyDescription gaugeProperties[] = {
    FIELD("Level", "Integer", 4, KARU_PROPERTY_INVALIDATES)};
static KARUMethodDescription gaugeMethods[] = {{(void *)kpReset, "Reset()", NULL},
                                               {(void *)kpReset, "Broken(x As)", NULL}};
static KARUEventDescription gaugeEvents[] = {{"Changed(level As Integer)", NULL}};
__declspec(dllexport) KARUControlDescription kpGauge = {
    .kind = KARU_CONTROL_KIND_V3,
    .name = "KPGauge",
    .flags = KARU_CONTROL_CANVAS,
    .dataSize = 12,
    .defaultWidth = 60,
    .defaultHeight = 20,
    .constructor = gaugeOpen,
    .properties = gaugeProperties,
    .propertyCount = 1,
    .methods = gaugeMethods,
    .methodCount = 2,
    .events = gaugeEvents,
    .eventCount = 1,
};
static KARUControlDescription twinControl = {.kind = KARU_CONTROL_KIND_V3, .name = "KPTwin"};
static KARUControlDescription withdrawn = {.kind = KARU_CONTROL_KIND_V2, .name = "KPWithdrawn"};

__declspec(dllexport) int32_t kpAdd(int32_t a, int32_t b) { return a + b; }
static KARUMethodDescription add = {(void *)kpAdd, "V3Add(a As Integer, b As Integer) As Integer",
                                    NULL};

__declspec(dllexport) KARUClass kpFirst, kpSecond, kpV3Interface = (KARUClass)1;

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  PluginRegisterClassProc registerClass = KARU_ENTRY(lookup, PluginRegisterClass);
  PluginRegisterControlProc registerControl = KARU_ENTRY(lookup, PluginRegisterControl);
  KARU_ENTRY(lookup, RegisterPluginVersion)(3);
  registerClass(&kpChild); /* before its superclass */
  registerClass(&kpParent);
  registerClass(&kpGrandchild);
  kpFirst = registerClass(&kpPlain);
  kpSecond = registerClass(&plainAgain);
  registerClass(&loopA);
  registerClass(&loopB);
  registerClass(&twinClass);
  registerControl(&twinControl);
  registerControl(&kpGauge);
  registerControl(&withdrawn);
  kpV3Interface = KARU_ENTRY(lookup, PluginRegisterInterface)(&tooEarly);
  KARU_ENTRY(lookup, PluginRegisterMethod)(&add);
}
