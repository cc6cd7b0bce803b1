// The members of the built-in classes and the global functions as plain
// constant tables, expanded from builtins.def; shared by the runtime's class
// registry and the image compiler, so nothing here depends on the runtime.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

// Class flags of builtins.def.
enum BuiltinClassFlags : int32_t {
  kPlain = 0,
  kCreatable = 1, // compiled code may create it by New
  kInterface = 2, // an interface: methods only
  kPane = 4,      // a control class with a "CreatePane" handler
};

// Accessors that are no entry of the runtime entry table: the shared field
// accessors, whose parameter is a byte offset into the instance.
inline constexpr const char *kFieldAccessors[] = {
    "fieldIntGetter",   "fieldIntSetter",  "fieldShortGetter",
    "fieldShortSetter", "fieldBoolGetter", "fieldBoolSetter",
    "fieldStringGetter", "fieldStringSetter", "fieldObjectGetter",
    "fieldObjectSetter",
};

struct BuiltinProperty {
  int32_t flags;      // 0x01, 0x08, 0x40, 0x41, 0x80 or 0
  const char *name;   // e.g. "Caption"
  const char *type;   // a value type name or a class name
  const char *getter; // an accessor name, "" for none
  const char *setter; // an accessor name, "" for none
  int32_t parameter;  // passed to both accessors: a field offset or a number
};

// How a parameter is passed besides its plain value.
enum BuiltinParamForm : int32_t {
  kParamValue = 0,
  kParamOptional = 1, // may be left out at the end of a call: `fallback` is passed instead
  kParamByRef = 2,    // the address of the caller's variable is passed
  kParamArray = 3,    // a one-dimensional array of the type is passed
};

// The fallback of a left-out width or height: the whole of the picture or
// canvas.
inline constexpr int32_t kWholeSide = -10000;

struct BuiltinParam {
  const char *name;
  const char *type;
  int32_t form = kParamValue; // BuiltinParamForm
  int32_t fallback = 0;       // kParamOptional: the value passed when left out
};

struct BuiltinMethod {
  const char *name;
  const char *resultType;  // "" for none
  const char *callEntry;   // entry name, "" while the member has no routine yet
  const char *assignEntry; // entry name of the assignment form, or ""
  int32_t firstParam;      // into kBuiltinParams
  int32_t paramCount;
};

struct BuiltinEvent {
  const char *name;
  const char *parameters; // declaration text, "" for none
  const char *result;     // result type name, "" for none
  int32_t number;         // 401 KeyDown, 501 MouseDown, 1001 Action ...; mostly 0
};

// A global function: a fixed signature bound to one entry point. The
// registry makes no record of these; the image compiler binds calls to them.
struct BuiltinFunction {
  const char *name;       // e.g. "Val"
  const char *resultType; // "" for none
  const char *entry;      // entry name
  int32_t firstParam;     // into kBuiltinParams
  int32_t paramCount;
};

struct BuiltinClass {
  const char *name;
  const char *superclass; // "" for a root
  int32_t size;           // instance size, header included
  const char *secondName; // "" for none
  int32_t flags;          // BuiltinClassFlags
  int32_t firstProperty, propertyCount;
  int32_t firstMethod, methodCount;
  int32_t firstEvent, eventCount;
  int32_t firstInterface, interfaceCount; // into kBuiltinInterfaces: names
};

namespace builtins_detail {

// One letter per declaration of builtins.def, in file order.
inline constexpr std::string_view kShape =
#define CLASS(name, super, size, second, flags) "C"
#define PROPERTY(flags, name, type, getter, setter, parameter) "P"
#define METHOD(name, result, call, assign) "M"
#define PARAM(name, type) "A"
#define PARAM_OF(name, type, form, fallback) "A"
#define EVENT(name, parameters, result, number) "E"
#define INTERFACE(name) "I"
#define END_CLASS
#define FUNCTION(name, result, entry) "F"
#include "objects/builtins.def"
    "";
#undef CLASS
#undef PROPERTY
#undef METHOD
#undef PARAM
#undef PARAM_OF
#undef EVENT
#undef INTERFACE
#undef END_CLASS
#undef FUNCTION

constexpr int32_t count(char letter) {
  int32_t n = 0;
  for (char c : kShape) n += c == letter;
  return n;
}

// Empty expansions for the tables below: each defines only its own macro.
#define CLASS(name, super, size, second, flags)
#define PROPERTY(flags, name, type, getter, setter, parameter)
#define METHOD(name, result, call, assign)
#define PARAM(name, type)
#define PARAM_OF(name, type, form, fallback)
#define EVENT(name, parameters, result, number)
#define INTERFACE(name)
#define END_CLASS
#define FUNCTION(name, result, entry)

struct ClassHead {
  const char *name, *superclass;
  int32_t size;
  const char *secondName;
  int32_t flags;
};
inline constexpr ClassHead kHeads[] = {
#undef CLASS
#define CLASS(name, super, size, second, flags) {name, super, size, second, flags},
#include "objects/builtins.def"
};
#undef CLASS
#define CLASS(name, super, size, second, flags)

struct MethodHead {
  const char *name, *resultType, *callEntry, *assignEntry;
};
inline constexpr MethodHead kMethodHeads[] = {
#undef METHOD
#define METHOD(name, result, call, assign) {name, result, call, assign},
#include "objects/builtins.def"
};
#undef METHOD
#define METHOD(name, result, call, assign)

struct FunctionHead {
  const char *name, *resultType, *entry;
};
inline constexpr FunctionHead kFunctionHeads[] = {
#undef FUNCTION
#define FUNCTION(name, result, entry) {name, result, entry},
#include "objects/builtins.def"
};
#undef FUNCTION
#define FUNCTION(name, result, entry)

} // namespace builtins_detail

inline constexpr BuiltinProperty kBuiltinProperties[] = {
#undef PROPERTY
#define PROPERTY(flags, name, type, getter, setter, parameter)                                     \
  {flags, name, type, getter, setter, parameter},
#include "objects/builtins.def"
};
#undef PROPERTY
#define PROPERTY(flags, name, type, getter, setter, parameter)

inline constexpr BuiltinParam kBuiltinParams[] = {
#undef PARAM
#undef PARAM_OF
#define PARAM(name, type) {name, type, kParamValue, 0},
#define PARAM_OF(name, type, form, fallback) {name, type, form, fallback},
#include "objects/builtins.def"
};
#undef PARAM
#undef PARAM_OF
#define PARAM(name, type)
#define PARAM_OF(name, type, form, fallback)

inline constexpr BuiltinEvent kBuiltinEvents[] = {
#undef EVENT
#define EVENT(name, parameters, result, number) {name, parameters, result, number},
#include "objects/builtins.def"
};
#undef EVENT
#define EVENT(name, parameters, result, number)

inline constexpr const char *kBuiltinInterfaces[] = {
#undef INTERFACE
#define INTERFACE(name) name,
#include "objects/builtins.def"
};

#undef CLASS
#undef PROPERTY
#undef METHOD
#undef PARAM
#undef PARAM_OF
#undef EVENT
#undef INTERFACE
#undef END_CLASS
#undef FUNCTION

inline constexpr int32_t kBuiltinClassCount = builtins_detail::count('C');
inline constexpr int32_t kBuiltinMethodCount = builtins_detail::count('M');
inline constexpr int32_t kBuiltinFunctionCount = builtins_detail::count('F');

// Methods with their parameter ranges, walked from the declaration order. A
// PARAM belongs to the METHOD or FUNCTION before it.
inline constexpr auto kBuiltinMethods = [] {
  std::array<BuiltinMethod, kBuiltinMethodCount> out{};
  int32_t m = -1, a = 0;
  char owner = 0;
  for (char c : builtins_detail::kShape) {
    if (c == 'M') {
      const auto &h = builtins_detail::kMethodHeads[++m];
      out[m] = {h.name, h.resultType, h.callEntry, h.assignEntry, a, 0};
    } else if (c == 'A') {
      if (owner == 'M') out[m].paramCount++;
      a++;
    }
    if (c != 'A') owner = c;
  }
  return out;
}();

// Global functions with their parameter ranges.
inline constexpr auto kBuiltinFunctions = [] {
  std::array<BuiltinFunction, kBuiltinFunctionCount> out{};
  int32_t f = -1, a = 0;
  char owner = 0;
  for (char c : builtins_detail::kShape) {
    if (c == 'F') {
      const auto &h = builtins_detail::kFunctionHeads[++f];
      out[f] = {h.name, h.resultType, h.entry, a, 0};
    } else if (c == 'A') {
      if (owner == 'F') out[f].paramCount++;
      a++;
    }
    if (c != 'A') owner = c;
  }
  return out;
}();

// Classes with their member ranges.
inline constexpr auto kBuiltinClasses = [] {
  std::array<BuiltinClass, kBuiltinClassCount> out{};
  int32_t k = -1, next[5] = {}; // properties, methods, events, interfaces, params
  for (char c : builtins_detail::kShape) {
    BuiltinClass *cls = k >= 0 ? &out[k] : nullptr;
    switch (c) {
    case 'C': {
      const auto &h = builtins_detail::kHeads[++k];
      out[k] = {h.name, h.superclass, h.size, h.secondName, h.flags, next[0], 0, next[1],
                0,      next[2],      0,      next[3],      0};
      break;
    }
    case 'P':
      cls->propertyCount++, next[0]++;
      break;
    case 'M':
      cls->methodCount++, next[1]++;
      break;
    case 'E':
      cls->eventCount++, next[2]++;
      break;
    case 'I':
      cls->interfaceCount++, next[3]++;
      break;
    }
  }
  return out;
}();

// Lookups by exact name, for static_asserts that pin a layout to the tables.
constexpr const BuiltinClass *builtin_class(std::string_view name) {
  for (const BuiltinClass &c : kBuiltinClasses)
    if (name == c.name) return &c;
  return nullptr;
}

constexpr const BuiltinProperty *builtin_property(std::string_view cls, std::string_view name) {
  const BuiltinClass *c = builtin_class(cls);
  if (!c) return nullptr;
  for (int32_t i = 0; i < c->propertyCount; i++)
    if (name == kBuiltinProperties[c->firstProperty + i].name)
      return &kBuiltinProperties[c->firstProperty + i];
  return nullptr;
}
