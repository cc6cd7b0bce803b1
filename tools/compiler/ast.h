// The syntax tree. The parser fills in what the source says; the checker adds
// types, resolves names into explicit node kinds and assigns frame slots, so
// the code generator reads only checked nodes.
#pragma once
#include "diag.h"
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

struct BuiltinProperty; // the runtime's member tables (objects/builtins.h)
struct BuiltinMethod;
struct BuiltinFunction;

namespace basc {

struct ClassInfo;
struct Routine;
struct EventDecl;

// Value types. Object carries its class; Nil converts to any object type.
// An Array holds a runtime array record: its elements are of kind elem (and
// class cls), in dims dimensions; a one-dimensional Boolean array is the
// compact Boolean form.
struct Type {
  enum Kind : uint8_t { Void, Integer, Single, Double, Boolean, String, Color, Object, Nil, Array };
  // Written {kind, cls, elem, dims} and stored in the order that packs them
  // into 16 bytes: every node carries a type.
  Kind kind, elem;
  int32_t dims;
  ClassInfo *cls;
  Type(Kind kind = Void, ClassInfo *cls = nullptr, Kind elem = Void, int32_t dims = 0)
      : kind(kind), elem(elem), dims(dims), cls(cls) {}
  bool operator==(const Type &o) const {
    return kind == o.kind && cls == o.cls && elem == o.elem && dims == o.dims;
  }
  static Type array_of(const Type &element, int32_t dims) {
    return Type{Array, element.cls, element.kind, dims};
  }
  Type element() const { return Type{elem, cls}; }
  bool is_array() const { return kind == Array; }
  bool is_compact_bool() const { return kind == Array && elem == Boolean && dims == 1; }
  bool is_ref() const { return kind == String || kind == Object; }
  bool is_float() const { return kind == Single || kind == Double; }
  bool is_intlike() const { return kind == Integer || kind == Color; }
  bool is_numeric() const { return is_float() || is_intlike(); }
};

struct TypeRef {
  std::string name; // empty: none given
  Loc loc;
};

// A frame or data1 home of a variable.
// Written {where, offset, type, byRef} and stored in the order that packs
// them into 24 bytes: every node carries one.
struct Slot {
  enum Where : uint8_t { Frame, Global } where;
  bool byRef;        // the slot holds the address of the variable (a ByRef parameter)
  bool item = false; // a project item's name: read, never assigned
  int32_t offset;    // from EBP, or into the globals block
  Type type;
  Slot(Where where = Frame, int32_t offset = 0, Type type = {}, bool byRef = false)
      : where(where), byRef(byRef), offset(offset), type(type) {}
};

enum class NK : uint8_t {
  // parsed
  IntLit,
  RealLit,
  StrLit,
  BoolLit,
  ColorLit,
  NilLit,
  SelfRef,
  Name,
  Member,
  Call,
  Unary,
  Binary,
  New,
  IsA,
  // resolved by the checker
  Var,          // a local, parameter or global: slot
  Field,        // an image-class property: lhs object, offset
  PropGet,      // a built-in property: lhs object, prop
  ControlRef,   // a window's control by name: lhs window, name, [index in args[0]]
  MenuRef,      // a menu item of the menu bar by name (a new reference)
  WindowOf,     // a control's window: lhs control
  Implicit,     // a window class's implicit instance: cls
  CallRoutine,  // an image routine: routine, [lhs receiver], args; with cls an interface's
                // method, called through the receiver's table for cls at slot ival
  CallMethod,   // a built-in class method: method, lhs receiver, args
  CallFunction, // a built-in function: function, args
  Convert,      // lhs to type
  Cast,         // lhs checked against cls
  Index,        // an array element: lhs the array, args the indexes
  ArrayOp,      // UBound, Append, Insert, Remove, Sort (text): lhs the array, args
  MethodAssign, // the assignment form of a built-in method: method, lhs receiver, args
  RaiseEvent,   // an image class's event: text, args; event once checked
};

// Fields are ordered so that the record packs without gaps: a large program
// holds hundreds of thousands of them at once.
struct Node {
  NK kind;
  int16_t height = 1; // of the tree below, this node included (the parser bounds it)
  // resolution: the small fields here, where they pack with the kind
  bool forWrite = false;   // ControlRef: a new reference, for a setter or a call
  bool readOnly = false;   // Field: a field compiled code may read but not assign
  bool dispatched = false; // CallRoutine: found at run time in the receiver's dispatch table
  bool address = false;    // an argument for a ByRef parameter: the variable's address
  int32_t temp = 0;        // frame offset of the temporary that owns a new reference, 0 if none
  int32_t offset = 0;      // Field
  Loc loc;
  Type type;
  // literals and names
  int64_t ival = 0;
  double fval = 0;
  std::string text; // names, string values, operators ("+", "AND", "NOT", "NEG" ...)
  // children
  std::unique_ptr<Node> lhs, rhs;
  std::vector<std::unique_ptr<Node>> args;
  std::unique_ptr<TypeRef> typeRef; // New, IsA: the class named
  // resolution
  Slot slot;
  ClassInfo *cls = nullptr;
  Routine *routine = nullptr;
  const ::BuiltinFunction *function = nullptr;
  const ::BuiltinProperty *prop = nullptr;
  const ::BuiltinMethod *method = nullptr;
  const EventDecl *event = nullptr; // RaiseEvent
};
using NodeP = std::unique_ptr<Node>;

enum class SK {
  Dim,
  Const,
  Assign,
  Expr,
  If,
  Select,
  For,
  While,
  Do,
  Exit,
  Return,
  Try,
  Raise,
  Redim
};

// The bounds a Dim or Redim gives an array: "(10)", "(3, 4)", "()".
struct ArrayShape {
  bool present = false;
  std::vector<NodeP> uppers; // empty with present: one dimension, no elements
  Loc loc;
};

struct Stmt;
using Block = std::vector<std::unique_ptr<Stmt>>;

struct CaseClause {
  struct Test {
    NodeP value, upper; // upper: "a To b"
    std::string op;     // "Is <op>", or empty for equality
  };
  std::vector<Test> tests; // empty: Case Else
  Block body;
  Loc loc;
};

struct CatchClause {
  std::string var; // empty when no variable is named
  TypeRef typeRef;
  Slot slot;
  ClassInfo *cls = nullptr; // nil: catches every exception
  Block body;
  Loc loc;
};

// What the checker adds to a Select or a For: the frame slots holding what is
// computed once (the subject; the bound and the step), and the For's test and
// increment as checked expressions. Kept apart so that other statements do
// not carry it.
struct CheckedParts {
  Slot subjectSlot, limitSlot, stepSlot;
  NodeP loopTest, loopIncr;
};

// A name a Dim or a Const declares.
struct DimName {
  std::string name;
  Loc loc;          // where it is written
  ArrayShape shape; // the bounds of an array, or none
  Slot slot;        // given by the checker
};

struct Stmt {
  SK kind;
  bool dimNew = false;   // Dim
  bool testAtTop = true; // Do
  bool until = false;    // Do
  Loc loc;
  std::vector<DimName> names; // Dim, Const; a Redim's one holds the new bounds
  TypeRef typeRef;            // Dim, Const, For
  // expressions: Assign target/value, If/While/Do condition, Select subject,
  // For variable/from/to/step, Return/Raise value, Expr call
  NodeP target, value, to, step;
  Block body, elseBody;
  std::vector<std::pair<NodeP, Block>> elseIfs;
  std::vector<CaseClause> cases;
  std::vector<CatchClause> catches;
  std::string word; // Exit: FOR, WHILE, DO, SUB, FUNCTION; Do: WHILE/UNTIL placement
  std::unique_ptr<CheckedParts> checked; // Select, For: made by the checker
  int32_t tryId = 0, tryEnd = 0, tryParent = 0;
};

struct Param {
  std::string name;
  TypeRef typeRef;
  int32_t arrayDims = 0; // "a() As T", "m(,) As T": an array passed as itself
  Type type;
  Loc loc;
  int32_t offset = 0;    // from EBP
  bool assigned = false; // a reference parameter written in the body gets its own reference
  bool byRef = false;    // the caller passes the address of its variable
};

enum class RoutineKind { Sub, Function, Handler, MenuHandler, Constructor, Destructor };

struct Routine {
  RoutineKind kind;
  std::string name;        // event or menu item name for handlers
  std::string controlName; // a control's event handler: "PushButton1" of PushButton1.Action
  Loc loc;
  std::vector<Param> params;
  TypeRef resultRef;
  Type result;
  Block body;
  ClassInfo *owner = nullptr; // nil: a module-level routine
  ClassInfo *selfClass = nullptr;
  // frame, assigned by the checker
  int32_t frameSize = 0; // bytes of locals below EBP, the exception slot included
  std::vector<std::pair<int32_t, Type>> refSlots;   // reference-holding slots to release
  std::vector<std::pair<int32_t, Type>> arraySlots; // arrays it made: disposed on exit or unwind
  int32_t resultOffset = 0;                         // 0: no result slot
  int32_t tryStateOffset = 0;                       // 0: no Try in the routine
  int32_t tryCount = 0;
  int32_t eventNumber = 0;
  int32_t slot = -1; // a method's place in its class's dispatch table
};

struct Property {
  std::string name;
  TypeRef typeRef;
  Type type;
  Loc loc;
  int32_t offset = 0;
  ArrayShape shape; // an array property: made by the constructor, bounds literal
};

// An event an image class declares for its subclasses and controls to handle.
// It has no record in the class directory: its handlers carry its number,
// and RaiseEvent finds the nearest one with RuntimeFindHookCode.
struct EventDecl {
  std::string name;
  std::vector<Param> params;
  TypeRef resultRef;
  Type result;
  Loc loc;
  int32_t number = 0;
  ClassInfo *owner = nullptr;
};

struct PropValue {
  std::string name;
  NodeP value; // a literal
  Loc loc;
};

struct ControlDecl {
  std::string name;
  int32_t index = INT32_MIN; // not an element of a control array
  TypeRef classRef;
  std::vector<PropValue> props;
  Loc loc;
  ClassInfo *cls = nullptr; // its class, or the per-control subclass carrying handlers
  bool ownClass = false;    // "Subclassed": a subclass of its own even without handlers
};

// A named literal: each use of the name is a copy of the literal.
struct ConstDecl {
  std::string name;
  TypeRef typeRef; // empty: the literal's own type
  NodeP value;
  Loc loc;
};

struct ClassDecl {
  std::string name;
  TypeRef superRef;
  std::vector<TypeRef> implements; /* the interfaces after Implements */
  bool isWindow = false;
  Loc loc;
  std::vector<Property> properties;
  std::vector<EventDecl> events;
  std::vector<std::unique_ptr<Routine>> routines;
  std::vector<PropValue> windowProps;
  std::vector<ControlDecl> controls;
  std::vector<ConstDecl> consts; // seen by the class's routines and its subclasses'
  ClassInfo *info = nullptr;
};

// Interface Name [Inherits A, B]: method signatures (Routines without a
// body) that every class implementing it provides.
struct InterfaceDecl {
  std::string name;
  std::vector<TypeRef> bases;
  std::vector<std::unique_ptr<Routine>> methods;
  Loc loc;
  ClassInfo *info = nullptr;
};

struct MenuEntry {
  int32_t kind = 0; // 0 ordinary, 1 the application menu, 2 placeholder
  std::string text, name, commandKey, balloonHelp;
  int32_t index = INT32_MIN;
  TypeRef classRef;
  std::vector<MenuEntry> items;
  bool submenu = false;
  Loc loc;
};

struct ProjectDecl {
  bool present = false;
  std::string applicationName;
  int32_t characterSet = 0;
  bool mdi = false;
  TypeRef mainWindow;
  struct FileType {
    std::string name, creator, type, extensions;
  };
  std::vector<FileType> fileTypes;
  std::vector<std::string> messages;
  Loc loc;
};

struct PluginDeclarations;
struct PluginDecl {
  std::string path; // as written, relative to the source's folder
  const std::string *sourceFile = nullptr;
  Loc loc;
  bool read = false;                                  // bytes holds the file
  std::vector<uint8_t> bytes;                         // the library, embedded as it is
  std::shared_ptr<const PluginDeclarations> declared; // what it carries; nil: none
};

// A database the application carries: `Database Name = "file" [From "start"]`.
// Name is a module variable holding it; the database lives in `file` beside
// the executable and, when that file does not exist yet, starts as a copy of
// the database file `start` (read when compiling, relative to the source's
// folder) or empty.
struct DatabaseDecl {
  std::string name, file, start;
  const std::string *sourceFile = nullptr;
  size_t global = 0; // its entry in Program::globals
  Loc loc, startLoc;
};

// A file the image carries: `Picture Name = "file"` (and `Sound`, `Movie`,
// `Cursor`, `Text`, `Data`). The file is read when compiling, relative to the
// source's folder, and must be of its kind; Name is a module variable holding
// the project object the runtime makes from it.
struct MediaItemDecl {
  enum Kind { Picture, Sound, Movie, Cursor, Text, Data } kind = Picture;
  std::string name, file;
  const std::string *sourceFile = nullptr;
  size_t global = 0; // its entry in Program::globals
  Loc loc, fileLoc;
};

// An object that exists from start-up: `Object Name As Class`. The runtime
// makes it before any of the program's code runs and keeps it in the module
// variable Name.
struct ObjectItemDecl {
  size_t global = 0; // its entry in Program::globals
  Loc loc;
};

struct GlobalDecl {
  std::string name;
  TypeRef typeRef;
  bool item = false; // a project item's name
  ArrayShape shape;  // a module-level array: made at start-up, bounds literal
  Slot slot;
  Loc loc;
};

// A Module block: its variables, constants and routines are the program's
// own, seen everywhere; the name also qualifies them (Utils.Count).
struct ModuleDecl {
  std::string name;
  std::set<std::string> members; // upper-cased
  Loc loc;
};

struct Program {
  std::vector<std::unique_ptr<ClassDecl>> classes;
  std::vector<std::unique_ptr<Routine>> routines; // module-level
  std::vector<GlobalDecl> globals;
  std::vector<ConstDecl> consts;
  ProjectDecl project;
  std::vector<MenuEntry> menuBar;
  bool hasMenuBar = false;
  std::vector<PluginDecl> plugins;
  std::vector<DatabaseDecl> databases;
  std::vector<ModuleDecl> modules;
  std::vector<MediaItemDecl> mediaItems;
  std::vector<std::unique_ptr<InterfaceDecl>> interfaces;
  std::vector<ObjectItemDecl> objectItems;
};

} // namespace basc
