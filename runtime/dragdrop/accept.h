// What windows and controls accept when something is dropped on them: text,
// pictures, files of named types, data of named types. The lists live here,
// beside the objects, and go when the window or control goes.
#pragma once
#include "base/vector.h"
#include "objects/objects.h"

struct RString;
struct WindowObject;
struct ControlObject;

enum AcceptKind : uint8_t {
  kAcceptText = 1,
  kAcceptPicture = 2,
  kAcceptFiles = 4, // files of the types listed; "" among them: any file or folder
  kAcceptData = 8,  // data of the types listed
};

struct Acceptance {
  Object *owner;    // the window or control (not retained: its destructor forgets the list)
  uint8_t kinds;    // AcceptKind bits
  Vector fileTypes; // of RString *, type names as given
  Vector dataTypes; // of RString *
};

// The list of a window or control, or nil when it accepts nothing.
const Acceptance *accept_of(const Object *owner);
// A file or folder (absolute path) is of a type the list names.
bool accept_path(const Acceptance *a, const char *path);
// Calls fn(type) for each data type the list names.
void accept_each_data_type(const Acceptance *a, void (*fn)(RString *type, void *context),
                           void *context);

// Forgets every list (a test's windows are gone).
void accept_forget_all();
void accept_classes_attach(); // the Window and Control destructors forget their lists

extern "C" {
void formAcceptTextDrop(WindowObject *w);
void formAcceptPictureDrop(WindowObject *w);
void formAcceptFileDrop(WindowObject *w, RString *type);
void formAcceptMacDataDrop(WindowObject *w, RString *type);
void controlAcceptTextDrop(ControlObject *c);
void controlAcceptPictureDrop(ControlObject *c);
void controlAcceptFileDrop(ControlObject *c, RString *type);
void controlAcceptMacDataDrop(ControlObject *c, RString *type);
}
