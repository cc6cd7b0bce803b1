/* A plug-in that carries its declarations, for code that uses it by name: a
   counter class (shared-field properties of every kind, a read-only property
   with a getter of its own, methods with String, ByRef and assignment forms),
   a subclass, an interface, a dial control that raises an event, and two
   global methods. The declarations text below names exactly what
   KARUPluginMain registers. */
#include "karuplugin.h"
#include <stddef.h>
#include <stdio.h>
#include <string.h>

KARU_DECLARATIONS("' what kpdecl registers\n"
                  "Interface KPMeasure\n"
                  "  Method Size() As Integer\n"
                  "End Interface\n"
                  "Class KPCounter Implements KPMeasure\n"
                  "  Property Count As Integer\n"
                  "  Property Label As String\n"
                  "  Property Ratio As Double\n"
                  "  Property Ready As Boolean\n"
                  "  ReadOnly Property Total As Integer\n"
                  "  Method Add(n As Integer) As Integer\n"
                  "  Method Describe(prefix As String) As String\n"
                  "  Method Fill(ByRef n As Integer)\n"
                  "  Method Size() As Integer\n"
                  "  Assignable Method Slot(index As Integer) As Integer\n"
                  "End Class\n"
                  "Class KPTally Inherits KPCounter\n"
                  "  Property Bonus As Integer\n"
                  "  Method Doubled() As Integer\n"
                  "End Class\n"
                  "Control KPDial\n"
                  "  Property Level As Integer\n"
                  "  Method Turn(by As Integer)\n"
                  "  Event Turned(level As Integer)\n"
                  "End Control\n"
                  "Method Twice(n As Integer) As Integer\n"
                  "Method Greet(name As String) As String\n");

static KARUBuildStringProc buildString;
static StringGetCStringProc cString;
static GetEventInstanceProc eventHandler;

#define FIELD(name, type, offset)                                                                  \
  { 0, name, type, {0, 0}, KARU_SHARED_ACCESSOR, KARU_SHARED_ACCESSOR, offset, 0 }

/* The counter's data: Count 0, Label 4, Ratio 8, Ready 16, four slots 20,
   the multiplier of Total 36. */
typedef struct Counter {
  int32_t count;
  KARUString label;
  double ratio;
  uint8_t ready, spare[3];
  int32_t slots[4];
  int32_t times;
} Counter;

static KARUClassDescription counterClass;
static KARUClassDescription tallyClass;

static Counter *counter(KARUObject o) { return (Counter *)((char *)o + counterClass.dataOffset); }

static KARUString text(const char *s) { return buildString(s, (int32_t)strlen(s)); }

/* Total: the count times the field its parameter names (the runtime adds
   the data's offset to the parameter, as for the shared accessors). */
static int32_t totalGetter(KARUObject o, int32_t at) {
  return counter(o)->count * *(int32_t *)((char *)o + at);
}
static void counterOpen(KARUObject o) { counter(o)->times = 10; }

static int32_t counterAdd(KARUObject o, int32_t n) { return counter(o)->count += n; }
static KARUString counterDescribe(KARUObject o, KARUString prefix) {
  char line[200];
  snprintf(line, sizeof line, "%s:%ld", cString(prefix), (long)counter(o)->count);
  return text(line);
}
static void counterFill(KARUObject o, int32_t *n) { *n = counter(o)->count; }
static int32_t counterSize(KARUObject o) { return counter(o)->count; }
static int32_t slotGet(KARUObject o, int32_t index) {
  return index >= 0 && index < 4 ? counter(o)->slots[index] : -1;
}
static void slotSet(KARUObject o, int32_t index, int32_t value) {
  if (index >= 0 && index < 4) counter(o)->slots[index] = value;
}

static KARUPropertyDescription counterProperties[] = {
    FIELD("Count", "Integer", 0),
    FIELD("Label", "String", 4),
    FIELD("Ratio", "Double", 8),
    FIELD("Ready", "Boolean", 16),
    {0, "Total", "Integer", {0, 0}, (void *)totalGetter, NULL, offsetof(Counter, times), 0},
};
static KARUMethodDescription counterMethods[] = {
    {(void *)counterAdd, "Add(n As Integer) As Integer", NULL},
    {(void *)counterDescribe, "Describe(prefix As String) As String", NULL},
    {(void *)counterFill, "Fill(ByRef n As Integer)", NULL},
    {(void *)counterSize, "Size() As Integer", NULL},
    {(void *)slotGet, "Slot(index As Integer) As Integer", (void *)slotSet},
};
static KARUClassDescription counterClass = {
    .name = "KPCounter",
    .dataSize = sizeof(Counter),
    .constructor = counterOpen,
    .properties = counterProperties,
    .propertyCount = 5,
    .methods = counterMethods,
    .methodCount = 5,
    .interfaces = "KPMeasure",
};

static KARUMethodDescription measureMethods[] = {{NULL, "Size() As Integer", NULL}};
static KARUInterfaceDescription measure = {0, "KPMeasure", measureMethods, 1};

/* The tally's own data: Bonus. */
static int32_t tallyDoubled(KARUObject o) {
  int32_t bonus = *(int32_t *)((char *)o + tallyClass.dataOffset);
  return (counter(o)->count + bonus) * 2;
}
static KARUPropertyDescription tallyProperties[] = {FIELD("Bonus", "Integer", 0)};
static KARUMethodDescription tallyMethods[] = {
    {(void *)tallyDoubled, "Doubled() As Integer", NULL}};
static KARUClassDescription tallyClass = {
    .name = "KPTally",
    .superName = "KPCounter",
    .dataSize = 4,
    .properties = tallyProperties,
    .propertyCount = 1,
    .methods = tallyMethods,
    .methodCount = 1,
};

/* The dial: Level in its data; Turn moves it and tells the program. */
static KARUControlDescription dial;
static KARUEventDescription dialEvents[] = {{"Turned(level As Integer)", NULL}};
static void dialTurn(KARUObject o, int32_t by) {
  int32_t *level = (int32_t *)((char *)o + dial.dataOffset);
  *level += by;
  void (*turned)(KARUObject, int32_t) =
      (void (*)(KARUObject, int32_t))eventHandler(o, dialEvents[0].event);
  if (turned) turned(o, *level);
}
static KARUPropertyDescription dialProperties[] = {FIELD("Level", "Integer", 0)};
static KARUMethodDescription dialMethods[] = {{(void *)dialTurn, "Turn(by As Integer)", NULL}};
static KARUControlDescription dial = {
    .kind = KARU_CONTROL_KIND_V4,
    .name = "KPDial",
    .dataSize = 4,
    .defaultWidth = 40,
    .defaultHeight = 40,
    .properties = dialProperties,
    .propertyCount = 1,
    .methods = dialMethods,
    .methodCount = 1,
    .events = dialEvents,
    .eventCount = 1,
};

static int32_t twice(int32_t n) { return 2 * n; }
static KARUString greet(KARUString name) {
  char line[200];
  snprintf(line, sizeof line, "hello, %s", cString(name));
  return text(line);
}
static KARUMethodDescription globals[] = {
    {(void *)twice, "Twice(n As Integer) As Integer", NULL},
    {(void *)greet, "Greet(name As String) As String", NULL},
};

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  buildString = KARU_ENTRY(lookup, KARUBuildString);
  cString = KARU_ENTRY(lookup, StringGetCString);
  eventHandler = KARU_ENTRY(lookup, GetEventInstance);
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  KARU_ENTRY(lookup, PluginRegisterInterface)(&measure);
  KARU_ENTRY(lookup, PluginRegisterClass)(&counterClass);
  KARU_ENTRY(lookup, PluginRegisterClass)(&tallyClass);
  KARU_ENTRY(lookup, PluginRegisterControl)(&dial);
  KARU_ENTRY(lookup, PluginRegisterMethod)(&globals[0]);
  KARU_ENTRY(lookup, PluginRegisterMethod)(&globals[1]);
}
