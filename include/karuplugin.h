/* The plug-in programming interface: what a plug-in library exports, the
   descriptions it registers its classes, controls and methods with, and the
   runtime entry points it reaches through the lookup routine. Plain C for
   32-bit x86: every word below is 4 bytes, every routine cdecl. */
#ifndef KARUPLUGIN_H
#define KARUPLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#define KARU_LAYOUT(cond) static_assert(cond, #cond)
#else
#define KARU_LAYOUT(cond) _Static_assert(cond, #cond)
#endif

/* Opaque runtime records a plug-in holds by pointer. */
typedef struct KARUObjectRecord *KARUObject; /* an instance */
typedef struct KARUStringRecord *KARUString; /* a runtime string; nil is "" */
typedef struct KARUClassRecord *KARUClass;   /* a class definition */
typedef struct KARUEventRecord *KARUEvent;   /* a declared event */

/* The runtime's lookup routine: the entry point of a runtime entry name
   (letter case ignored), or nil. */
typedef void *(*KARULookup)(const char *name);

/* Every plug-in library exports this, unadorned and cdecl. The runtime calls
   it once after loading the library; registrations count only during the call. */
typedef void (*KARUPluginMainProc)(KARULookup lookup);

/* Getters and setters: getter(instance, parameter) returns the value;
   setter(instance, parameter, value). KARU_SHARED_ACCESSOR asks for the
   runtime's own accessor of a field of the instance data (parameter = the
   field's offset in that data); Boolean fields are one byte, Double eight,
   String and object fields hold a reference the runtime locks and releases. */
#define KARU_SHARED_ACCESSOR ((void *)-1)

typedef void (*KARURoutine)(KARUObject instance); /* constructor, destructor */

/* Property, 9 words. */
typedef struct KARUPropertyDescription {
  int32_t reserved0; /* zero */
  const char *name;
  const char *type;    /* "Integer", "Color", "Boolean", "Single", "Double",
                          "String" (case ignored), or a class name */
  int32_t reserved[2]; /* zero */
  void *getter;        /* or KARU_SHARED_ACCESSOR */
  void *setter;        /* or KARU_SHARED_ACCESSOR; nil: read-only */
  int32_t parameter;   /* passed to both; with shared accessors the field offset */
  uint32_t flags;      /* KARU_PROPERTY_* */
} KARUPropertyDescription;
KARU_LAYOUT(sizeof(KARUPropertyDescription) == 36);

#define KARU_PROPERTY_INVALIDATES 0x01  /* controls: a shared-setter write redraws */
#define KARU_PROPERTY_RUNTIME_ONLY 0x02 /* set by code only, never from a window's design */

/* Method, 3 words. The declaration reads "Name(x As Integer, ByRef s As
   String) As Double"; the routine receives the instance (class methods only)
   and then the parameters, cdecl. */
typedef struct KARUMethodDescription {
  void *function; /* call form */
  const char *declaration;
  void *assignFunction; /* form used when a value is assigned to the method, or nil */
} KARUMethodDescription;

/* Version-1 method, 2 words: the routine is entry `exportIndex` (from 0) of
   the table given to RegisterPluginExports. */
typedef struct KARUMethodV1 {
  int32_t exportIndex;
  const char *declaration;
} KARUMethodV1;

/* Event, 2 words: "Name(x As Integer) As Boolean"; the runtime writes the
   event record into `event` when it registers it. */
typedef struct KARUEventDescription {
  const char *declaration;
  KARUEvent event;
} KARUEventDescription;

/* Handler, 2 words: a routine for an event declared by a superclass. */
typedef struct KARUHandlerDescription {
  const char *name;
  void *entry;
} KARUHandlerDescription;

/* Class, 18 words. The instance data follows the superclass's instance
   (the object header when there is none); the runtime writes its offset. */
typedef struct KARUClassDescription {
  int32_t reserved0;                   /* 0: zero */
  const char *name;                    /* 1 */
  const char *superName;               /* 2: nil or "" for none */
  int32_t dataSize;                    /* 3: bytes of this class's own data */
  int32_t dataOffset;                  /* 4: written by the runtime */
  KARURoutine constructor;             /* 5: or nil */
  KARURoutine destructor;              /* 6: or nil */
  KARUPropertyDescription *properties; /* 7 */
  int32_t propertyCount;               /* 8 */
  KARUMethodDescription *methods;      /* 9 */
  int32_t methodCount;                 /* 10 */
  KARUEventDescription *events;        /* 11 */
  int32_t eventCount;                  /* 12 */
  KARUHandlerDescription *handlers;    /* 13 */
  int32_t handlerCount;                /* 14 */
  const char *interfaces;              /* 15: "IfaceA,IfaceB", or nil */
  int32_t reserved[2];                 /* 16: zero */
} KARUClassDescription;
KARU_LAYOUT(sizeof(KARUClassDescription) == 72);

/* Interface, 4 words: methods only (their functions are nil). */
typedef struct KARUInterfaceDescription {
  int32_t reserved0;
  const char *name;
  KARUMethodDescription *methods;
  int32_t methodCount;
} KARUInterfaceDescription;

/* Members added to an existing class (built-in or plug-in). Shared
   accessors are not available: the class has no plug-in data. */
typedef struct KARUClassExtension {
  int32_t reserved0;
  const char *className;
  KARUPropertyDescription *properties;
  int32_t propertyCount;
  KARUMethodDescription *methods;
  int32_t methodCount;
  KARUEventDescription *events;
  int32_t eventCount;
} KARUClassExtension;

/* Controls. A control is a subclass of RectControl (position, size,
   visibility and enabling come from there); its data begins at byte 96 of the
   instance. The routines the window layer calls are all optional. */
enum {
  KARU_CONTROL_KIND_V1 = 1, /* KARUControlDescriptionV1 */
  KARU_CONTROL_KIND_V2 = 2, /* withdrawn form: ignored */
  KARU_CONTROL_KIND_V3 = 3, /* KARUControlDescription up to `eventCount` */
  KARU_CONTROL_KIND_V4 = 4, /* adds handlers and interfaces */
  KARU_CONTROL_KIND = KARU_CONTROL_KIND_V4
};

#define KARU_CONTROL_CANVAS 0x04 /* drawn in a canvas pane rather than a plain one */

typedef struct KARURect {
  int32_t left, top, right, bottom; /* pixels, right and bottom exclusive */
} KARURect;

typedef void (*KARUDrawProc)(KARUObject control, void *dc, const KARURect *bounds); /* dc: HDC */
typedef int32_t (*KARUMouseDownProc)(KARUObject control, int32_t x, int32_t y);     /* 1: track */
typedef void (*KARUMouseProc)(KARUObject control, int32_t x, int32_t y);

typedef struct KARUControlDescription {
  int32_t kind;                        /* 0: KARU_CONTROL_KIND */
  const char *name;                    /* 1 */
  uint32_t flags;                      /* 2: KARU_CONTROL_* */
  int32_t dataSize;                    /* 3 */
  int32_t dataOffset;                  /* 4: written by the runtime (96) */
  int32_t defaultWidth;                /* 5: size when placed in a window */
  int32_t defaultHeight;               /* 6 */
  KARURoutine constructor;             /* 7 */
  KARURoutine destructor;              /* 8 */
  KARUDrawProc draw;                   /* 9: paints within bounds; nil draws nothing */
  KARUMouseDownProc mouseDown;         /* 10: nil: the control takes no mouse input */
  KARUMouseProc mouseDrag;             /* 11 */
  KARUMouseProc mouseUp;               /* 12 */
  KARUPropertyDescription *properties; /* 13: offsets count from the control's data */
  int32_t propertyCount;               /* 14 */
  KARUMethodDescription *methods;      /* 15 */
  int32_t methodCount;                 /* 16 */
  KARUEventDescription *events;        /* 17 */
  int32_t eventCount;                  /* 18 */
  KARUHandlerDescription *handlers;    /* 19: kind 4 and later */
  int32_t handlerCount;                /* 20 */
  const char *interfaces;              /* 21: "IfaceA,IfaceB", or nil */
} KARUControlDescription;
KARU_LAYOUT(sizeof(KARUControlDescription) == 88);

/* The first form: narrower properties, methods from the exports table, and a
   default size of 100 x 100. */
typedef struct KARUPropertyV1 {
  const char *name;
  const char *type;
  void *getter;
  void *setter;
  int32_t parameter;
  uint32_t flags;
} KARUPropertyV1;

typedef struct KARUControlDescriptionV1 {
  int32_t kind;                 /* 0: KARU_CONTROL_KIND_V1 */
  const char *name;             /* 1 */
  uint32_t flags;               /* 2 */
  int32_t dataSize;             /* 3 */
  int32_t dataOffset;           /* 4: written by the runtime */
  KARURoutine constructor;      /* 5 */
  KARURoutine destructor;       /* 6 */
  KARUDrawProc draw;            /* 7 */
  KARUMouseDownProc mouseDown;  /* 8 */
  KARUMouseProc mouseDrag;      /* 9 */
  KARUMouseProc mouseUp;        /* 10 */
  KARUPropertyV1 *properties;   /* 11 */
  int32_t propertyCount;        /* 12 */
  KARUMethodV1 *methods;        /* 13 */
  int32_t methodCount;          /* 14 */
  KARUEventDescription *events; /* 15 */
  int32_t eventCount;           /* 16 */
} KARUControlDescriptionV1;
KARU_LAYOUT(sizeof(KARUControlDescriptionV1) == 68);

/* Runtime entry points, reached through the lookup routine:
     PluginRegisterClassProc reg = KARU_ENTRY(lookup, PluginRegisterClass); */
#define KARU_ENTRY(lookup, name) ((name##Proc)(lookup)(#name))

typedef void (*RegisterPluginVersionProc)(int32_t version);                    /* 1 until called */
typedef void (*RegisterPluginExportsProc)(void *const *table);                 /* ends with nil */
typedef KARUClass (*PluginRegisterClassProc)(KARUClassDescription *d);         /* version 3+ */
typedef KARUClass (*PluginRegisterInterfaceProc)(KARUInterfaceDescription *d); /* version 4+ */
typedef void (*PluginRegisterClassExtensionProc)(KARUClassExtension *d);       /* version 3+ */
/* Version 1: a KARUMethodV1; version 2: ignored; 3 and later: a KARUMethodDescription. */
typedef void (*PluginRegisterMethodProc)(void *description);
/* A KARUControlDescription or KARUControlDescriptionV1, told apart by kind. */
typedef KARUClass (*PluginRegisterControlProc)(void *description);
typedef KARUClass (*pluginObjectTypeProc)(const char *name); /* nil if unknown */
typedef KARUObject (*PluginNewInstanceProc)(const char *className);
typedef KARUObject (*KARULockObjectProc)(KARUObject o);
typedef KARUObject (*KARUUnlockObjectProc)(KARUObject o);
typedef void (*KARULockStringProc)(KARUString s);
typedef void (*KARUUnlockStringProc)(KARUString s);
typedef KARUString (*KARUBuildStringProc)(const void *bytes, int32_t length);

/* Control helpers, for any control. Handles are HWNDs; objects handed back
   are borrowed (lock them to keep them); Booleans come back in one byte. */
typedef void *(*GetControlHWNDProc)(KARUObject control); /* its native window, or nil */
typedef void *(*KARUGetControlHandleProc)(KARUObject control);
typedef void *(*KARUGetWindowHandleProc)(KARUObject windowOrControl);
/* Window content coordinates, right and bottom exclusive. */
typedef void (*PluginGetControlBoundsProc)(KARUObject control, KARURect *bounds);
typedef PluginGetControlBoundsProc GetControlBoundsProc;
typedef uint8_t (*GetControlVisibleProc)(KARUObject control);
typedef void (*SetControlVisibleProc)(KARUObject control, int32_t visible);
/* Shown were its window shown: Visible, and its tab chosen on a tab panel. */
typedef uint8_t (*GetTabPanelVisibleProc)(KARUObject control);
typedef uint8_t (*KARUGetControlFocusProc)(KARUObject control);
/* Non-zero focuses it (when shown and enabled); zero takes its focus away. */
typedef void (*KARUSetControlFocusProc)(KARUObject control, int32_t focus);
typedef KARUObject (*KARUGetControlParentProc)(KARUObject control); /* enclosing control */
typedef KARUObject (*getControlWindowProc)(KARUObject control);
typedef KARUString (*PluginDefaultControlFontProc)(void); /* new string: unlock it */
typedef int32_t (*PluginDefaultControlFontSizeProc)(void);
typedef KARUString (*PluginDefaultControlCaptionProc)(KARUObject control); /* new string */
/* A key as menu items name them ("Q" is Ctrl+Q, "Shift-Alt-F5"): pressing it
   presses the control at its top-left corner. Nil or "" removes it. */
typedef void (*KARUSetAcceleratorProc)(KARUObject control, KARUString key);
typedef void (*KARUYieldToQXProc)(void); /* handles waiting messages, then returns */
typedef void (*KARUInvalidateControlProc)(KARUObject control);
/* Drawing on a control: a new Graphics for its pane (unlock it; nil without
   a pane), and the device context a Graphics draws with: a picture's, or a
   pane's while it paints; nil otherwise. */
typedef KARUObject (*KARUGetControlGraphicsProc)(KARUObject control);
typedef void *(*KARUGraphicsDCProc)(KARUObject graphics);

/* Picture helpers. A picture's pixels are 32-bit words 0x00RRGGBB (memory
   order blue, green, red, unused), the top row first. */
typedef struct KARUPictureDescription {
  int32_t width;    /* 0 */
  int32_t height;   /* 4 */
  int32_t rowBytes; /* 8: from one row to the next */
  int32_t depth;    /* 12: bits a pixel: 32 (a description given to the runtime may say 24) */
  void *pixels;     /* 16: the top row */
} KARUPictureDescription;
KARU_LAYOUT(sizeof(KARUPictureDescription) == 20);
/* A new picture (unlock it) from a packed DIB in a global memory block, which
   stays the caller's; nil when it is no DIB the runtime reads. */
typedef KARUObject (*KARUBuildPictureFromDIBProc)(void *dibHandle);
typedef KARUObject (*KARUBuildPictureFromPictureDescriptionProc)(const KARUPictureDescription *d);
typedef KARUObject (*newPictureProc)(int32_t width, int32_t height, int32_t depth);
/* Fills the description; the pixels may be read and written until the
   matching unlock. 1 on success, 0 for nil or a picture without pixels. */
typedef int32_t (*lockPictureDescriptionProc)(KARUObject picture, KARUPictureDescription *d);
typedef void (*unlockPictureDescriptionProc)(KARUObject picture);
typedef void (*KARUPictureClearCacheProc)(KARUObject picture);
/* Draws the whole picture scaled into the rectangle of the device context
   (an HDC), leaving out what Transparent and the Mask hide. */
typedef void (*drawPicturePrimitiveProc)(KARUObject picture, void *dc, int32_t x, int32_t y,
                                         int32_t width, int32_t height);
typedef KARUObject (*pluginPictureGraphicsGetterProc)(KARUObject picture); /* borrowed */

/* Socket helpers. A plug-in that uses sockets calls PluginMarkSocketUsage
   first (1: the socket library is available). The readers take bytes a
   Socket received: the first `count` of them (none for a count below 1), all
   of them, or all of them left in place; each returns a new string (unlock
   it), nil when there are none. */
typedef int32_t (*PluginMarkSocketUsageProc)(void);
typedef KARUString (*pluginSocketReadProc)(KARUObject socket, int32_t count);
typedef KARUString (*pluginSocketReadAllProc)(KARUObject socket);
typedef KARUString (*pluginSocketLookaheadProc)(KARUObject socket);

/* Data sources: a plug-in offers a kind of data source (a routine table),
   then names sources of that kind. Opening a source gives a Database object
   (a new reference, e.g. made with KARUdbDatabaseFromDBDatabase) that data
   controls and code use like any other. */
typedef struct KARUDataSourceInterface {
  int32_t version;  /* 0: 1 */
  const char *kind; /* 4: the kind's name, unique among the plug-ins' kinds */
  /* 8: the source's Database, or nil when it cannot be opened */
  KARUObject (*open)(const char *sourceName, void *sourceData);
} KARUDataSourceInterface;
KARU_LAYOUT(sizeof(KARUDataSourceInterface) == 12);
/* 1 when registered; 0 for nil, no kind, a version other than 1 or a kind
   already registered. The table must live as long as the plug-in. */
typedef int32_t (*RegisterDataSourceInterfaceProc)(const KARUDataSourceInterface *face);
/* A named source of a registered kind with the plug-in's data for it (kept,
   not copied); 1 when registered, 0 for an unknown kind or a name taken. */
typedef int32_t (*RegisterDataSourceProc)(const char *kind, const char *sourceName,
                                          void *sourceData);
/* Lists a source name among those design tools offer for a data control's
   Database; the runtime only keeps the list. */
typedef void (*DesignAddDataSourceProc)(const char *sourceName);

#ifdef __cplusplus
}
#endif

#endif /* KARUPLUGIN_H */
