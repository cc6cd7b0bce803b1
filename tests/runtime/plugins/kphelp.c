/* A plug-in that asks the runtime about itself and about objects, and
   writes what it learns to the trace: its probe control's Open handler calls
   the helpers (the runtime's version, constants read from text, an interface
   method's routine, the program's handlers of the probe's events, pictures
   from descriptions, the background behind the probe), and its listeners
   report the actions of the check box, radio button and list they watch. */
#include "karuplugin.h"
#include <stdio.h>
#include <string.h>
#include <windows.h>

typedef void (*lineTraceProc)(KARUString text);
typedef KARUObject (*RuntimeControlFetchProc)(KARUObject window, KARUString name);
typedef KARUObject (*GetBoundPartProc)(KARUObject control, KARUString part);
typedef void (*ReceiverProc)(KARUObject part, KARUObject receiver);
typedef int32_t (*pictureWidthGetterProc)(KARUObject picture);
typedef KARUObject (*KARUBuildPictureFromGWorldProc)(void *world);

static KARULookup lookup;
#define ENTRY(name) ((name##Proc)lookup(#name))

static void trace(const char *text) {
  KARUString s = ENTRY(KARUBuildString)(text, (int32_t)strlen(text));
  ENTRY(lineTrace)(s);
  ENTRY(KARUUnlockString)(s);
}

/* ---- the listener: an actionNotificationReceiver that says whose action it heard ---- */

typedef struct Listener {
  char name[12];
} Listener;

static KARUClassDescription listenerClass;

static Listener *listenerData(KARUObject o) {
  return (Listener *)((char *)o + listenerClass.dataOffset);
}

__declspec(dllexport) void kpPerformAction(KARUObject self) {
  char line[40];
  snprintf(line, sizeof line, "performed %s", listenerData(self)->name);
  trace(line);
}

static KARUMethodDescription listenerMethods[] = {
    {(void *)kpPerformAction, "performAction()", NULL}};
static KARUClassDescription listenerClass = {
    .name = "KPListener",
    .dataSize = sizeof(Listener),
    .methods = listenerMethods,
    .methodCount = 1,
    .interfaces = "actionNotificationReceiver",
};

static KARUObject newListener(const char *name) {
  KARUObject o = ENTRY(PluginNewInstance)("KPListener");
  if (o) snprintf(listenerData(o)->name, sizeof listenerData(o)->name, "%s", name);
  return o;
}

/* ---- the probe control ---- */

static KARUEventDescription probeEvents[] = {
    {"Ping(n As Integer) As Integer", NULL},
    {"Pong()", NULL},
};

static void traceConstants(void) {
  KARUConstantValue hex, real, truth, text, junk;
  PluginInterpretConstantValueProc read = ENTRY(PluginInterpretConstantValue);
  read("&hFF", &hex);
  read(" 2.5 ", &real);
  read("True", &truth);
  read("\"say \"\"hi\"\"\"", &text);
  int32_t junkType = read("2.5.1", &junk);
  char line[96];
  snprintf(line, sizeof line, "constants %d:%d %d:%g %d:%d %d:[%s] %d", hex.type, hex.integer,
           real.type, real.real, truth.type, truth.integer, text.type,
           ENTRY(StringGetCString)(text.text), junkType);
  ENTRY(KARUUnlockString)(text.text);
  trace(line);
}

static const char *same(void *a, void *b) { return a && a == b ? "same" : a ? "other" : "nil"; }
static const char *nil(void *a) { return a ? "found" : "nil"; }

/* The program's Ping handler doubles its argument; Pong has no handler. */
static void traceEvents(KARUObject self) {
  GetEventInstanceProc get = ENTRY(GetEventInstance);
  void *ping = get(self, probeEvents[0].event);
  int32_t answer = ping ? ((int32_t(*)(KARUObject, int32_t))ping)(self, 21) : -1;
  char line[96];
  snprintf(line, sizeof line, "event %d %s pong %s foreign %s nil %s", answer,
           same(ENTRY(GetEventInstancePPC)(self, probeEvents[0].event), ping),
           nil(get(self, probeEvents[1].event)), nil(get(self, (KARUEvent)&listenerClass)),
           nil(get(NULL, probeEvents[0].event)));
  trace(line);
}

static void traceInterface(KARUObject listener) {
  GetInterfaceRoutineProc get = ENTRY(GetInterfaceRoutine);
  char line[96];
  snprintf(
      line, sizeof line, "interface %s %s %s %s",
      same(get(listener, "ACTIONNOTIFICATIONRECEIVER", "performAction"), (void *)kpPerformAction),
      nil(get(listener, "actionNotificationReceiver", "noSuchMethod")),
      nil(get(listener, "dataNotifier", "valueChanged")),
      nil(get(NULL, "actionNotificationReceiver", "performAction")));
  trace(line);
}

static void tracePictures(void) {
  uint32_t pixels[2] = {0x00FF8000, 0x000000FF};
  KARUPictureDescription d = {2, 1, 8, 32, pixels};
  KARUObject picture = ENTRY(KARUBuildPictureFromPictureDescription)(&d);
  KARUPictureDescription back = {0};
  int32_t locked = picture ? ENTRY(lockPictureDescription)(picture, &back) : 0;
  char line[96];
  snprintf(line, sizeof line, "picture %dx%d %06X %06X gworld %s",
           picture ? ENTRY(pictureWidthGetter)(picture) : -1, back.height,
           locked ? ((uint32_t *)back.pixels)[0] : 0u, locked ? ((uint32_t *)back.pixels)[1] : 0u,
           nil(ENTRY(KARUBuildPictureFromGWorld)(NULL)));
  if (locked) ENTRY(unlockPictureDescription)(picture);
  if (picture) ENTRY(KARUUnlockObject)(picture);
  trace(line);
}

/* What the window shows behind the probe, painted into a bitmap of its own. */
static void traceBackground(KARUObject self) {
  KARUSetSpecialBackgroundProc paint = ENTRY(KARUSetSpecialBackground);
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  HGDIOBJ old = SelectObject(dc, bitmap);
  int32_t painted = paint(self, dc);
  COLORREF c = GetPixel(dc, 2, 2);
  char line[64];
  snprintf(line, sizeof line, "background %d %02X%02X%02X refused %d %d", painted, GetRValue(c),
           GetGValue(c), GetBValue(c), paint(NULL, dc), paint(self, NULL));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(NULL, screen);
  trace(line);
}

/* Listeners on the window's check box, radio button and list: each part's
   receiver is added; a second listener is added to the check box and taken
   off again, so only the first one reports. */
static void watch(KARUObject window, const char *control, const char *partName,
                  GetBoundPartProc getPart, ReceiverProc add, ReceiverProc remove) {
  KARUString name = ENTRY(KARUBuildString)(control, (int32_t)strlen(control));
  KARUString partText = ENTRY(KARUBuildString)(partName, (int32_t)strlen(partName));
  KARUObject target = ENTRY(RuntimeControlFetch)(window, name);
  KARUObject part = target ? getPart(target, partText) : NULL;
  if (part) {
    KARUObject listener = newListener(control), silent = newListener("never");
    add(part, listener);
    add(part, silent);
    remove(part, silent);
    ENTRY(KARUUnlockObject)(listener); /* the part keeps its receivers */
    ENTRY(KARUUnlockObject)(silent);
    ENTRY(KARUUnlockObject)(part);
  }
  ENTRY(KARUUnlockString)(name);
  ENTRY(KARUUnlockString)(partText);
}

__declspec(dllexport) void kpProbeOpen(KARUObject self) {
  char line[64];
  snprintf(line, sizeof line, "runtime %d version %d", ENTRY(KARUinRuntime)(),
           ENTRY(KARUGetQXVersion)());
  trace(line);
  traceConstants();
  traceEvents(self);
  KARUObject listener = newListener("probe");
  traceInterface(listener);
  ENTRY(KARUUnlockObject)(listener);
  tracePictures();
  traceBackground(self);
  KARUObject window = ENTRY(getControlWindow)(self);
  watch(window, "Check", "getCheckedAction", (GetBoundPartProc)lookup("checkBoxGetBoundPart"),
        (ReceiverProc)lookup("cbaAddActionNotificationReceiver"),
        (ReceiverProc)lookup("cbaRemoveActionNotificationReceiver"));
  watch(window, "Radio", "getCheckedAction", (GetBoundPartProc)lookup("radioGetBoundPart"),
        (ReceiverProc)lookup("rbaAddActionNotificationReceiver"),
        (ReceiverProc)lookup("rbaRemoveActionNotificationReceiver"));
  watch(window, "List", "getSelectionAction", (GetBoundPartProc)lookup("listGetBoundPart"),
        (ReceiverProc)lookup("lbaAddActionNotificationReceiver"),
        (ReceiverProc)lookup("lbaRemoveActionNotificationReceiver"));
}

static KARUHandlerDescription probeHandlers[] = {{"Open", (void *)kpProbeOpen}};
static KARUControlDescription probe = {
    .kind = KARU_CONTROL_KIND_V4,
    .name = "KPHelpProbe",
    .defaultWidth = 40,
    .defaultHeight = 20,
    .events = probeEvents,
    .eventCount = 2,
    .handlers = probeHandlers,
    .handlerCount = 1,
};

__declspec(dllexport) void KARUPluginMain(KARULookup runtimeLookup) {
  lookup = runtimeLookup;
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  KARU_ENTRY(lookup, PluginRegisterClass)(&listenerClass);
  KARU_ENTRY(lookup, PluginRegisterControl)(&probe);
}
