// Class definitions: the run-time description of a class, and the list
// records hanging off it. Compiled code and plug-ins read these layouts.
#pragma once
#include <cstddef>
#include <cstdint>

struct RString;
struct Object;
struct ClassDef;

typedef void (*ObjectRoutine)(Object *object, ClassDef *cls); // constructor, destructor

struct PropertyRecord;
struct MethodRecord;
struct EventRecord;
struct HandlerRecord;
struct ConstantRecord;
struct InterfaceEntry;

struct ClassDef {
  int32_t marker;             // 0: always 3
  ClassDef *superclass;       // 4: nil for a root class
  void **dispatchTable;       // 8: code addresses of the virtual routines, or nil
  int32_t interfaceStamp;     // 12: global stamp when the interface tables were built
  int32_t dispatchSize;       // 16: entries of the dispatch table
  RString *name;              // 20: e.g. "PushButton"
  RString *secondName;        // 24: nil but on a few built-ins
  uint8_t registered;         // 28: 1 once a built-in or plug-in definition is complete
  uint8_t creatable;          // 29: 1 on classes compiled code may create by New
  ClassDef *next;             // 32: next definition in the class list
  int32_t instanceSize;       // 36: bytes of an instance, header included
  int32_t reserved1[3];       // 40: not set up by default; nothing reads them
  int32_t order;              // 52: -1 by default
  int32_t reserved2;          // 56: as reserved1
  PropertyRecord *properties; // 60
  MethodRecord *methods;      // 64
  EventRecord *events;        // 68
  HandlerRecord *handlers;    // 72
  ConstantRecord *constants;  // 76
  InterfaceEntry *interfaces; // 80
  uint8_t isInterface;        // 84: 1 when the class is an interface
  ObjectRoutine constructor;  // 88: or nil
  ObjectRoutine destructor;   // 92: or nil
  uint8_t tail[2];            // 96: zero by default
  int32_t tailWord;           // 100: zero by default
};
static_assert(offsetof(ClassDef, superclass) == 4);
static_assert(offsetof(ClassDef, name) == 20);
static_assert(offsetof(ClassDef, registered) == 28);
static_assert(offsetof(ClassDef, creatable) == 29);
static_assert(offsetof(ClassDef, next) == 32);
static_assert(offsetof(ClassDef, instanceSize) == 36);
static_assert(offsetof(ClassDef, order) == 52);
static_assert(offsetof(ClassDef, properties) == 60);
static_assert(offsetof(ClassDef, interfaces) == 80);
static_assert(offsetof(ClassDef, isInterface) == 84);
static_assert(offsetof(ClassDef, constructor) == 88);
static_assert(offsetof(ClassDef, destructor) == 92);
static_assert(sizeof(ClassDef) == 104);

// Type descriptor, 6 words: one for each of the seven value types.
struct TypeDescriptor {
  int32_t zero;                                 // 0
  const char *name;                             // 4: "String", "Integer", ...
  RString *(*toText)(const void *value);        // 8: or nil
  void (*fromText)(RString *text, void *value); // 12: or nil
  void (*release)(void *value);                 // 16: or nil
  void (*retain)(void *value);                  // 20: or nil
};
static_assert(sizeof(TypeDescriptor) == 24);

struct PropertyRecord {
  PropertyRecord *next; // 0
  RString *name;        // 4
  const void *type;     // 8: type descriptor or class definition
  int32_t flags;        // 12: from the description (0x01, 0x08, 0x40, 0x80 ...)
  void *getter;         // 16: (object, parameter) -> value
  void *setter;         // 20: (object, parameter, value)
  int32_t parameter;    // 24: passed to getter and setter, e.g. a field offset
};
static_assert(sizeof(PropertyRecord) == 28);

struct MethodRecord {
  MethodRecord *next;     // 0
  RString *name;          // 4
  int32_t flags;          // 8: 0x08 method of an interface
  const char *cName;      // 12: the name, zero-terminated
  const void *resultType; // 16: type descriptor, class definition, or nil
  void *parameters;       // 20: parameter list
  int32_t parameterCount; // 24
  void *entry;            // 28: entry point of the call form
  int32_t interfaceSlot;  // 32: 1-based, interfaces only
  void *assignEntry;      // 36: entry point of the assignment form, or nil
};
static_assert(sizeof(MethodRecord) == 40);

// A parameter of a parsed declaration (plug-in events and methods).
struct ParsedParameter {
  RString *name;    // 0
  const void *type; // 4: type descriptor, class definition, or an ArrayType
  uint8_t byRef;    // 8: passed by reference
};

// The type of an array parameter: three words 1, element type, 1.
struct ArrayType {
  int32_t one;             // 0
  const void *elementType; // 4
  int32_t dimensions;      // 8: 1
};

struct EventRecord {
  EventRecord *next;           // 0
  RString *name;               // 4
  const char *parameterText;   // 8: e.g. "X As Integer, Y As Integer", or nil
  const char *resultTypeText;  // 12: e.g. "Boolean", or nil
  const void *resultType;      // 16: type descriptor, class definition, or nil
  ParsedParameter *parameters; // 20: parsed (plug-in events); nil for built-ins
  int32_t parameterCount;      // 24
  int32_t number;              // 28: e.g. 1001 Action; 0 for most
};

struct HandlerRecord {
  HandlerRecord *next; // 0
  RString *name;       // 4
  int32_t number;      // 8
  void *entry;         // 12: the compiled routine
};
static_assert(sizeof(HandlerRecord) == 16);

struct ConstantRecord {
  ConstantRecord *next; // 0
  RString *name;        // 4
  int32_t value;        // 8
};
static_assert(sizeof(ConstantRecord) == 12);

struct InterfaceEntry {
  InterfaceEntry *next; // 0
  ClassDef *interface;  // 4: a definition whose interface flag is set
  void **table;         // 8: entry points, word 0 unused
  int32_t tableWords;   // 12
};
static_assert(sizeof(InterfaceEntry) == 16);

// The process-wide class list, newest first.
extern ClassDef *gClassList;

// Default set-up: marker 3, instance size 24, order -1, all else nil or 0; the
// definition is pushed on the front of the class list.
void class_setup(ClassDef *cls);

// Releases the definition's names and every member list (event parameter
// arrays and interface tables included) and takes it off the class list; the
// record itself belongs to whoever made it.
void class_teardown(ClassDef *cls);

// The seven value types.
extern const TypeDescriptor kTypeString, kTypeInteger, kTypeBoolean, kTypeSingle, kTypeDouble,
    kTypeForm, kTypeColor;

// Static description of a method parameter, 4 words.
struct ParameterDesc {
  const char *name; // 0
  const void *type; // 4: type descriptor or class definition
  int32_t zero[2];  // 8
};
static_assert(sizeof(ParameterDesc) == 16);

// Appends a method record (call form only) to the end of the class's method list.
MethodRecord *class_add_method(ClassDef *cls, const char *name, const void *resultType,
                               const ParameterDesc *parameters, int32_t parameterCount,
                               void *entry);

/* ---- to be completed by the classes work; declared here so that all of it
   is written against one interface ---- */

// Identifier folding: a-z and the accented small letters to their capitals.
extern const uint8_t kFoldTable[256];
bool names_equal(const char *a, int32_t aLength, const char *b, int32_t bLength);
bool names_equal(const RString *a, const RString *b);
bool name_is(const RString *a, const char *b); // b zero-terminated

// List records, all from tagged blocks. Properties, methods and events are
// appended in order; handlers, constants and interface entries are pushed on
// the front of their lists.
PropertyRecord *class_add_property(ClassDef *cls, const char *name, const void *type, int32_t flags,
                                   void *getter, void *setter, int32_t parameter);
EventRecord *class_add_event(ClassDef *cls, const char *name, const char *parameterText,
                             const char *resultTypeText, int32_t number);
HandlerRecord *class_add_handler(ClassDef *cls, RString *name, int32_t number, void *entry);
ConstantRecord *class_add_constant(ClassDef *cls, RString *name, int32_t value);
InterfaceEntry *class_add_interface(ClassDef *cls, ClassDef *interface);

// The nearest declaration of an event named `name` on the class chain.
EventRecord *class_find_event(const ClassDef *cls, const char *name);

// The handler that event dispatch calls: nearest to the declaring class wins;
// a class that declares its own event of that name hides handlers below it.
HandlerRecord *event_find_handler(const Object *object, const EventRecord *event);
void *event_handler_entry(const Object *object, const EventRecord *event); // or nil

// Numbers interface methods and fills every class's interface tables. False
// (after the report) when a class lacks a method an interface requires.
extern int32_t gInterfaceStamp;
bool interfaces_build();

// The text of a type: "String", "Integer", "Boolean", "Single", "Double" or
// "Color", ignoring case; nil for anything else (a class type). "Form" is no
// type keyword.
const TypeDescriptor *type_named(const char *name, int32_t length);

// True when a parameter type is an ArrayType record (its first word is 1,
// where a type descriptor has 0 and a class definition its marker 3).
bool type_is_array(const void *type);
// Releases a parsed parameter array: names, array-type records, the block.
// class_teardown does this for every event's array; method parameter lists
// are not released (built-in ones are static descriptions).
void params_release(ParsedParameter *parameters, int32_t count);

// A declaration "Name(params) As Type" as plug-ins write them.
struct Declaration {
  RString *name;
  RString *parameterText;      // exactly the characters between the parentheses
  const void *resultType;      // nil when no "As" follows the parameter list
  RString *resultTypeName;     // as written
  ParsedParameter *parameters; // tagged block, or nil
  int32_t parameterCount;      // at most 32
};
// False with the error message (a new string) when the text does not parse.
// Besides the value types, a type name may stand for a class that classNamed
// finds (nil: value types only).
typedef ClassDef *(*ClassLookup)(const char *name);
bool decl_parse(const char *text, Declaration *out, RString **error,
                ClassLookup classNamed = nullptr);
void decl_release(Declaration *d);

extern "C" {
void *FindVTableCode(Object *object, int32_t slot);
void *FindInterfaceVTableCode(Object *object, int32_t slot, int32_t interfaceClassIndex);
void *RuntimeFindHookCode(Object *object, int32_t number);
}
