// Windows made from window descriptions: the Window instance, its controls and
// per-name records, the view that carries them, and the close sequence.
#pragma once
#include "ui/controlmap.h"
#include "ui/pane.h"

struct View;

// The pattern a window keeps for each control name: what a clone of a
// control-array element is made from.
struct NameRecord {
  NameRecord *next;
  RString *name;
  int32_t index;      // the Index of the first record of that name
  int32_t classIndex; // into the image's class table
  int32_t pairCount;
  RString **pairs; // name, value, name, value ...
};

// A Window instance.
struct WindowObject {
  Object header;           // 0
  uint8_t visible;         // 16
  uint8_t closeBox;        // 17
  uint8_t growIcon;        // 18
  uint8_t zoomIcon;        // 19
  View *view;              // 20: nil before creation and after close
  Rect16 bounds;           // 24: content area, screen coordinates
  Rect16 resizedBounds;    // 32: last reported to Resized
  Rect16 restoreBounds;    // 40: before full-screen mode
  RString *title;          // 48
  Object *backdrop;        // 52: a Picture, retained
  Object *drawingSurface;  // 56: while the backdrop is painted
  int32_t frame;           // 60: 0..7
  int32_t placement;       // 64
  int32_t backColor;       // 68: 0x00RRGGBB
  int16_t minWidth;        // 72
  int16_t minHeight;       // 74
  int16_t maxWidth;        // 76
  int16_t maxHeight;       // 78
  Object *mouseCursor;     // 80
  RString *balloonHelp;    // 84
  uint8_t hasBackColor;    // 88
  uint8_t menuBarVisible;  // 89
  uint8_t fullScreen;      // 90
  RString *floaterProcess; // 92
  int32_t macProcId;       // 96
  ControlMap *controls;    // 100
  NameRecord *names;       // 104: newest first
  uint8_t closed;          // 108: Close has been delivered
};
static_assert(offsetof(WindowObject, view) == 20);
static_assert(offsetof(WindowObject, bounds) == 24);
static_assert(offsetof(WindowObject, title) == 48);
static_assert(offsetof(WindowObject, frame) == 60);
static_assert(offsetof(WindowObject, minWidth) == 72);
static_assert(offsetof(WindowObject, mouseCursor) == 80);
static_assert(offsetof(WindowObject, balloonHelp) == 84);
static_assert(offsetof(WindowObject, hasBackColor) == 88);
static_assert(offsetof(WindowObject, floaterProcess) == 92);
static_assert(offsetof(WindowObject, macProcId) == 96);
static_assert(offsetof(WindowObject, controls) == 100);
static_assert(sizeof(WindowObject) <= 120);

// Applies one (name, value) pair of a description to an instance: the
// property found by name on the class chain, the text converted by its type.
void apply_property(Object *object, RString *name, RString *value);

NameRecord *window_name_record(WindowObject *window, RString *name);

// The close sequence: CancelClose, then once only Close to the controls and
// the window, the controls released, the view destroyed. False when cancelled.
bool window_close(WindowObject *window);
// The close sequence without asking CancelClose (quitting asked already).
void window_close_now(WindowObject *window);
void window_classes_attach(); // the Window class's destructor

// The native frame code the window's Frame property stands for.
enum class Frame : uint8_t;
Frame window_frame(const WindowObject *window);
// Delivers an event without arguments to the window's handler, if any.
void window_event(WindowObject *window, const char *event);

// The Window of a view, or nil.
WindowObject *view_window(View *view);

extern "C" {
Object *RuntimeCreateWindow(const uint8_t *description, Object **variable);
void RuntimeShowWindow(WindowObject *window);
void RuntimeHideWindow(WindowObject *window);
void RuntimeCloseWindow(WindowObject *window);
void RuntimeShowModal(WindowObject *window); // modal.cpp
int32_t getWindowCount();
Object *getWindow(int32_t index);
int32_t windowControlCountGetter(WindowObject *window);
Object *windowControl(WindowObject *window, int32_t index);
// Property accessors (windowprops.cpp); the parameter of windowPos* is 0
// Left, 1 Top, 2 Width, 3 Height.
int32_t windowPosGetter(WindowObject *window, int32_t which);
void windowPosSetter(WindowObject *window, int32_t which, int32_t value);
void windowFullScreenSetter(WindowObject *window, int32_t, bool value);
}
