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

/* Declarations: what the plug-in registers, as text the compiler reads from
   the library file (it never runs the library), so that programs can use the
   plug-in's classes, controls and global methods by name and misuse is found
   when compiling. Write it once per library, at file scope:

     KARU_DECLARATIONS(
         "Class Counter Implements Measure\n"     superclass: "Inherits Name"
         "  Property Count As Integer\n"
         "  ReadOnly Property Total As Integer\n" no setter
         "  Method Add(n As Integer) As Integer\n"
         "  Assignable Method Slot(i As Integer) As Integer\n"  has an assignFunction
         "End Class\n"
         "Control Dial\n"                          a RectControl
         "  Property Level As Integer\n"
         "  Event Turned(level As Integer)\n"
         "End Control\n"
         "Interface Measure\n"
         "  Method Size() As Integer\n"
         "End Interface\n"
         "Method Twice(n As Integer) As Integer\n"); a global method

   One declaration a line; "'" starts a comment. Member declarations are the
   text the descriptions below carry ("Name(x As Integer, ByRef s As String)
   As Double", "a() As Integer" for an array); types are Integer, Single,
   Double, Boolean, String, Color or a class name. Name every class, control,
   interface, member and global method the plug-in registers, with the types
   it registers them with: code may use only what is declared. A library
   without declarations still has its controls placed on windows, but code
   cannot reach its members.

   How compiled code calls what is declared (cdecl, arguments as declared):
   methods get the instance first; a method's assignFunction gets the
   instance, the method's parameters, then the assigned value; ByRef
   parameters come as the address of the caller's variable; Boolean values
   are passed as a word, 0 or 1. String and object arguments are borrowed;
   String and object results must be new references (KARUBuildString,
   KARULockObject), which the program releases. */
#define KARU_DECLARATIONS_SYMBOL "KARUPluginDeclarations"
#ifdef __cplusplus
#define KARU_DECLARATIONS(text)                                                                    \
  extern "C" __declspec(dllexport) const char KARUPluginDeclarations[] = text
#else
#define KARU_DECLARATIONS(text) __declspec(dllexport) const char KARUPluginDeclarations[] = text
#endif

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
/* The string's text, NUL-terminated, valid while the string lives ("" for nil). */
typedef const char *(*StringGetCStringProc)(KARUString s);

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

/* The runtime itself. KARUinRuntime is 1 in a built program (this runtime
   runs nothing else); KARUGetQXVersion is the runtime's version, major x
   10000 + minor x 100 + revision (10000 for 1.0.0). */
typedef uint8_t (*KARUinRuntimeProc)(void);
typedef int32_t (*KARUGetQXVersionProc)(void);

/* A constant's text read as a value: an Integer (decimal, &h hexadecimal,
   &o octal, &b binary; a decimal too wide for 32 bits is a Double), a Double
   ("2.5", "1e3"), True or False (any case), a colour &cRRGGBB, or a quoted
   String ("say ""hi"""). Spaces around it are ignored. The value's type, or
   KARU_CONSTANT_NONE (and a zeroed value) for text that is none of these. */
enum {
  KARU_CONSTANT_NONE = 0,
  KARU_CONSTANT_INTEGER = 1, /* integer */
  KARU_CONSTANT_DOUBLE = 2,  /* real */
  KARU_CONSTANT_BOOLEAN = 3, /* integer, 0 or 1 */
  KARU_CONSTANT_STRING = 4,  /* text, a new string: unlock it */
  KARU_CONSTANT_COLOR = 5    /* integer, 0xRRGGBB */
};
typedef struct KARUConstantValue {
  int32_t type;    /* 0: KARU_CONSTANT_* */
  int32_t integer; /* 4 */
  double real;     /* 8 */
  KARUString text; /* 16 */
  int32_t spare;   /* 20 */
} KARUConstantValue;
KARU_LAYOUT(sizeof(KARUConstantValue) == 24);
typedef int32_t (*PluginInterpretConstantValueProc)(const char *text, KARUConstantValue *value);

/* The routine that runs an interface method for an object: the method
   `methodName` of interface `interfaceName` (names in any case), called with
   the object and then the method's parameters. Nil when the object is nil,
   its class does not implement the interface, or the interface has no such
   method. */
typedef void *(*GetInterfaceRoutineProc)(KARUObject object, const char *interfaceName,
                                         const char *methodName);
/* The handler a program gave an event of a plug-in's class or control for
   this instance (the event record the runtime wrote into the event's
   description), called with the instance and then the event's parameters.
   Nil when there is no handler, or the event is not one of the instance's
   class. The PPC form answers the same on this platform. */
typedef void *(*GetEventInstanceProc)(KARUObject instance, KARUEvent event);
typedef GetEventInstanceProc GetEventInstancePPCProc;
/* Paints into the device context (an HDC) what shows behind the control: its
   window's background, or the tab panel or group box it sits on, so that a
   control drawing only part of its bounds blends in. For the draw routine's
   context, whose origin is the window's; 1 when painted, 0 for nil, a
   control without a pane, or no context. */
typedef int32_t (*KARUSetSpecialBackgroundProc)(KARUObject control, void *dc);

/* Movie helpers. A plug-in that shows movies calls KARUenterMovies first
   (1: the movie library is started and the digital-video device exists).
   getMoviePlayerController gives the multimedia device ID of the movie a
   MoviePlayer has open (opened on the call when the player is on screen; 0
   without a movie or a pane), to which the plug-in may send its own
   commands. getMovieMovie gives a Movie's file path as a new string (unlock
   it), nil for anything else or a movie without a file. */
typedef uint8_t (*KARUenterMoviesProc)(void);
typedef uint32_t (*getMoviePlayerControllerProc)(KARUObject player);
typedef KARUString (*getMovieMovieProc)(KARUObject movie);

/* Database engines. An engine is a table of operations on a handle the
   engine chooses; a nil slot means the engine lacks the operation. An engine
   that runs SQL itself fills selectSQL and executeSQL; otherwise the runtime
   parses the statements and calls the record-level slots (7, 8, 9, 11), and
   reads errors through errorCode and errorMessage. Strings passed to a slot
   are borrowed; strings and objects a slot returns are new references. Lists
   are linked through their last word. Type codes: 2 smallint, 3 integer,
   5 char/varchar, 6 float, 7 double, 8 date, 9 time, 10 timestamp,
   12 boolean, 15 long varchar, 16 long varbinary. */
typedef struct KARUDBColumn {
  KARUString name;           /* 0 */
  uint8_t type;              /* 4 */
  uint8_t nullable;          /* 5: 1 unless NOT NULL was written */
  uint8_t spare[2];          /* 6 */
  struct KARUDBColumn *next; /* 8 */
} KARUDBColumn;
typedef struct KARUDBAssignment {
  KARUString column;             /* 0 */
  KARUString value;              /* 4: as written, quotes removed */
  uint8_t quoted;                /* 8: it was quoted (an unquoted NULL is NULL) */
  uint8_t spare[3];              /* 9 */
  struct KARUDBAssignment *next; /* 12 */
} KARUDBAssignment;
typedef struct KARUDBName {
  KARUString name;         /* 0 */
  struct KARUDBName *next; /* 4 */
} KARUDBName;
/* A WHERE condition: leaves compare column (of table, nil when not written)
   with right (a text, a number, or a column when rightIsColumn); op 0 =,
   1 <, 2 >, 3 <=, 4 >=, 5 <>, 6 LIKE, 7 NOT LIKE, 8 IS NULL, 9 IS NOT NULL;
   inner nodes 64 OR, 65 AND combine left and rightChild. function: 0 none,
   2 upper, 3 lower, applied to the column. */
typedef struct KARUDBCondition {
  uint8_t op;                          /* 0 */
  uint8_t function;                    /* 1 */
  uint8_t rightIsColumn;               /* 2 */
  uint8_t spare;                       /* 3 */
  KARUString column;                   /* 4 */
  KARUString table;                    /* 8 */
  KARUString right;                    /* 12 */
  KARUString rightTable;               /* 16 */
  struct KARUDBCondition *left;        /* 20 */
  struct KARUDBCondition *rightChild;  /* 24 */
} KARUDBCondition;
KARU_LAYOUT(sizeof(KARUDBColumn) == 12 && sizeof(KARUDBAssignment) == 16);
KARU_LAYOUT(sizeof(KARUDBCondition) == 28);

/* The engine's operations, slot by slot. Cursors are DatabaseCursor objects
   made with KARUdbCursorFromDBCursor. */
typedef struct KARUDBEngineSlots {
  void (*close)(void *handle);                                      /* 0 */
  KARUObject (*tableSchema)(void *handle);                          /* 1: rows of TableName */
  KARUObject (*fieldSchema)(void *handle, KARUString table);        /* 2: ColumnName, FieldType, IsPrimary, NotNull */
  void *reserved3, *reserved4;                                      /* 3, 4 */
  KARUObject (*selectSQL)(void *handle, KARUString statement);      /* 5 */
  void (*executeSQL)(void *handle, KARUString statement);           /* 6 */
  void (*createTable)(void *handle, KARUString table, const KARUDBColumn *columns,
                      const uint8_t *keyColumns, int32_t keyCount); /* 7 */
  void (*insert)(void *handle, KARUString table, const KARUDBAssignment *values); /* 8 */
  KARUObject (*openCursor)(void *handle, KARUString table, const KARUDBName *columns,
                           const KARUDBCondition *where);           /* 9: nil columns: all */
  void *reserved10;                                                 /* 10 */
  void (*addColumn)(void *handle, KARUString table, const KARUDBColumn *column); /* 11 */
  void *reserved12;                                                 /* 12 */
  int32_t (*errorCode)(void *handle);                               /* 13: 0 = none */
  KARUString (*errorMessage)(void *handle);                         /* 14 */
  void (*commit)(void *handle);                                     /* 15 */
  void (*rollback)(void *handle);                                   /* 16 */
} KARUDBEngineSlots;
KARU_LAYOUT(sizeof(KARUDBEngineSlots) == 68);

typedef struct KARUDBEngineDefinition {
  int32_t version;                 /* 0: 1 */
  const char *name;                /* 4: the engine's name */
  const KARUDBEngineSlots *slots;  /* 8 */
} KARUDBEngineDefinition;

/* A cursor's operations on the plug-in's own cursor data. Rows are read
   forward; the optional routines may be nil. The cursor stands on its first
   row when it is made (or at its end when it has none). */
typedef struct KARUDBCursorDefinition {
  int32_t version;                                      /* 0: 1 */
  void (*close)(void *data);                            /* 4: frees the data */
  int32_t (*fieldCount)(void *data);                    /* 8 */
  KARUString (*fieldName)(void *data, int32_t field);   /* 12: 0-based */
  int32_t (*fieldType)(void *data, int32_t field);      /* 16: a type code */
  KARUString (*fieldValue)(void *data, int32_t field);  /* 20: the current row's, as text */
  int32_t (*fieldIsNull)(void *data, int32_t field);    /* 24: optional */
  int32_t (*moveNext)(void *data);                      /* 28: 1 when on a row */
  int32_t (*atEnd)(void *data);                         /* 32 */
  int32_t (*moveFirst)(void *data);                     /* 36: optional */
  int32_t (*setFieldValue)(void *data, int32_t field, KARUString value); /* 40: optional */
  int32_t (*update)(void *data);                        /* 44: optional; writes the changed row */
  int32_t (*deleteRow)(void *data);                     /* 48: optional; then on the next row */
} KARUDBCursorDefinition;

/* Registers an engine (1) or a cursor kind (1); 0 for a definition of an
   unknown version. */
typedef int32_t (*PluginRegisterDBEngineProc)(const KARUDBEngineDefinition *d);
typedef int32_t (*PluginRegisterDBCursorProc)(const KARUDBCursorDefinition *d);
/* A new DatabaseCursor object over the plug-in's cursor data (closed through
   the definition when the object goes), or a new Database object bound to an
   engine's handle (closed through slot 0). The definitions must stay. */
typedef KARUObject (*KARUdbCursorFromDBCursorProc)(void *data, const KARUDBCursorDefinition *d);
typedef KARUObject (*KARUdbDatabaseFromDBDatabaseProc)(void *handle, const KARUDBEngineDefinition *d);
/* Stores an error on a Database object (code 0 clears it). */
typedef void (*KARUDatabaseSetErrorProc)(KARUObject database, int32_t code, KARUString message);

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
