// Window descriptions for in-process tests, written with the image toolkit,
// and small helpers to make classes and pump messages.
#pragma once
#include "objects/classdef.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "startup/loader.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include "windowstream.h"
#include "text/string.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

namespace describe {

using Pairs = img::Pairs;

// A window description, written by the image toolkit.
struct Description {
  img::WindowDescription d;

  Description(int32_t classIndex, const Pairs &window) : d{classIndex, window, {}} {}
  Description &control(int32_t classIndex, const Pairs &pairs) {
    d.controls.push_back({classIndex, pairs});
    return *this;
  }
  // With its length word, as the runtime takes it.
  img::Bytes bytes() const {
    img::Bytes body = img::encode_window_description(d);
    img::Bytes out;
    img::put_u32(out, (uint32_t)body.size());
    out.insert(out.end(), body.begin(), body.end());
    return out;
  }
};

// A control's record: its name and index, where it sits, shown and enabled,
// then the pairs given.
inline Pairs placed(const char *name, const char *index, Rect16 r, const Pairs &extra = {}) {
  Pairs p = {{"Name", name},
             {"Index", index},
             {"Left", std::to_string(r.left)},
             {"Top", std::to_string(r.top)},
             {"Width", std::to_string(r.right - r.left)},
             {"Height", std::to_string(r.bottom - r.top)},
             {"Visible", "True"},
             {"Enabled", "True"}};
  p.insert(p.end(), extra.begin(), extra.end());
  return p;
}

inline WindowObject *open_window(const Description &d, Object **variable = nullptr) {
  img::Bytes bytes = d.bytes();
  return (WindowObject *)RuntimeCreateWindow(bytes.data(), variable);
}

// A control of the window by its key (not retained), or nil.
inline Object *control_named(WindowObject *w, const char *key) {
  RString *name = str_from(key);
  Object *o = RuntimeControlFetch(w, name);
  RuntimeUnlockString(name);
  return o;
}

inline void addHandler(ClassDef *cls, const char *event, void *entry) {
  RString *name = str_from(event);
  class_add_handler(cls, name, 0, entry);
  RuntimeUnlockString(name);
}

// Gives the class's handler for the event another routine.
inline void replaceHandler(ClassDef *cls, const char *event, void *entry) {
  for (HandlerRecord *h = cls->handlers; h; h = h->next)
    if (name_is(h->name, event)) h->entry = entry;
}

inline void derive(ClassDef *cls, const char *name, ClassDef *super, int32_t size) {
  class_setup(cls);
  cls->name = str_from(name);
  cls->superclass = super;
  cls->instanceSize = size;
}

// What a test needs before it makes windows: the built-in classes, the
// window classes and the window procedures.
inline void set_up_windows() {
  if (!gInstance) gInstance = GetModuleHandleA(nullptr);
  runtime_classes_init();
  ui_register_window_classes();
  window_install();
}

// How many live objects are of this class, exactly.
inline int32_t live_instances(const ClassDef *cls) {
  int32_t n = 0;
  for (Object *o = objects_live_head(); o; o = o->next) n += o->cls == cls;
  return n;
}

// Dispatches messages until `done` answers true or `ms` have passed; never
// sleeps longer than the next message.
inline bool pump_until(const std::function<bool()> &done, DWORD ms = 10000) {
  DWORD start = GetTickCount();
  MSG m;
  while (!done() && GetTickCount() - start < ms) {
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
    else
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return done();
}

inline void pump() {
  MSG m;
  for (int i = 0; i < 50; i++)
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

// Closes a test's window when it opened, lets its messages pass, and
// forgets the test's class table.
inline void close_test_window(WindowObject *&w) {
  if (w) {
    RuntimeCloseWindow(w);
    RuntimeUnlockObject(&w->header);
    w = nullptr;
  }
  pump();
  gClassTable = nullptr;
  gClassCount = 0;
}

// Tears down a test's own classes once no instance of them is left: an object
// that outlived its class would reach freed memory in a later test.
inline void retire_test_classes(std::initializer_list<ClassDef *> classes) {
  for (ClassDef *c : classes) {
    EXPECT_EQ(live_instances(c), 0)
        << "an instance of " << str_cview(c->name) << " outlives its test";
    class_teardown(c);
  }
}

} // namespace describe
